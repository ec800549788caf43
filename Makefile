# Thornwick's commands. Each one first installs what is missing, configures
# and builds; the game and its content end up in build/.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-asan bench fuzz soak install package clean \
	test-fresh test-package-fresh

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

configure: deps $(BUILD)/build.ninja

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/run && ../thornwick

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTHORNWICK_SANITIZE=ON >/dev/null

# The sanitizer run: the whole suite but the fuzz smoke (label long), with the
# soak of 20 simulated minutes (label soak) among it. Leaks that lie wholly inside system
# libraries are suppressed by tests/lsan.supp; a report fails its test.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-asan: deps $(ASAN_BUILD)/build.ninja
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) -LE long

# A whole simulated day (720 game days of two minutes) of headless play under
# a random key script, without sanitizers; prints one summary line.
# Drawn at the game's 800 x 600 and silent (SDL_AUDIODRIVER=none), so the
# same seed plays the same run frame for frame; SOAK_AUDIO=dummy plays the
# sounds too, with the quest then waiting on them in real time.
SOAK_MINUTES ?= 1440
SOAK_SEED ?= 1
SOAK_SIZE ?= 800x600
SOAK_AUDIO ?= none
soak: build
	cd $(BUILD)/run && SDL_AUDIODRIVER=$(SOAK_AUDIO) nice ../thornwick-capture --soak $(SOAK_MINUTES) \
		--seed $(SOAK_SEED) --size $(SOAK_SIZE)

# --one-file-system: never through the kernel file systems bound into a
# scratch root of test-fresh that is still in use.
clean:
	rm -rf --one-file-system $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)

bench: build
	@mkdir -p bench
	cd $(BUILD)/run && ../thornwick-bench --out $(CURDIR)/bench/latest.txt

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian packages, thornwick (the programs) and thornwick-data (the
# content), are built in a tree of their own, with Debian's hardening flags
# (dpkg-buildflags, from dpkg-dev: fortify, stack protector, relro, bindnow)
# and only what the packages hold (the game, its content, its manual page
# and changelog; no tests or tools), so it costs a fresh machine one more
# build of the game, not of the suite. Both .debs end up in $(PACKAGE_BUILD).
# CPack's dpkg-shlibdeps step needs `file`, which only packaging uses.
PACKAGE_BUILD ?= $(BUILD)/deb
PACKAGE_TARGETS = thornwick content install_docs
DEB_BUILDFLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

# CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: cpack installs what PACKAGE_TARGETS
# built rather than building everything first.
$(PACKAGE_BUILD)/build.ninja: | deps
	@cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTHORNWICK_TESTS=OFF \
		-DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
		-DCMAKE_C_FLAGS="$$($(DEB_BUILDFLAGS) CPPFLAGS) $$($(DEB_BUILDFLAGS) CFLAGS)" \
		-DCMAKE_CXX_FLAGS="$$($(DEB_BUILDFLAGS) CPPFLAGS) $$($(DEB_BUILDFLAGS) CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_BUILDFLAGS) LDFLAGS)" >/dev/null

package: deps $(PACKAGE_BUILD)/build.ninja
	@scripts/install-deps file
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS) --target $(PACKAGE_TARGETS)
	cd $(PACKAGE_BUILD) && cpack -G DEB

# The proof that the two commands work on a fresh machine (needs root): the
# current commit cloned into a brand-new minimal Debian 12 root and `make
# test` run there, then the two .debs built in that root. test-package-fresh
# checks them with lintian and installs and plays them in another fresh root
# without build tools. The base root is cached in $(BUILD)/fresh.
FRESH_DIR ?= $(abspath $(BUILD))/fresh

test-fresh:
	@scripts/test-fresh $(FRESH_DIR)

test-package-fresh:
	@scripts/test-package-fresh $(FRESH_DIR)

# Fuzzing: the content readers under libFuzzer, built with clang in
# $(FUZZ_BUILD). `fuzz` runs each fuzzer for a minute, `fuzz-smoke` for a few
# seconds; both fail when a fuzzer finds a fault.
.PHONY: fuzz-smoke
FUZZ_SECONDS ?= 60

fuzz: deps
	@sh fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: deps
	@sh fuzz/run_fuzzers.sh $(FUZZ_BUILD) 3

# The Windows build: the same game cross-compiled by Debian's MinGW-w64 into
# $(WINDOWS_BUILD)/ (thornwick.exe, the zip and the installer), with
# freeglut, SDL2, SDL2_mixer, zlib, libpng and GoogleTest built once from
# Debian's sources (scripts/build-windows-libs) and the content from the
# native generator. test-windows runs its tests under wine on Xvfb, comparing
# with the native build's programs; bench-windows writes
# bench/windows-latest.txt.
.PHONY: windows windows-deps windows-native test-windows bench-windows
WINDOWS_BUILD ?= build-windows

windows-deps:
	@scripts/install-deps --windows

windows: windows-deps
	@scripts/build-windows-libs $(WINDOWS_BUILD)
	@[ -f $(WINDOWS_BUILD)/build.ninja ] || \
		cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
			-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
			-DTHORNWICK_WINDOWS_PREFIX=$(abspath $(WINDOWS_BUILD))/libs/prefix \
			-DTHORNWICK_NATIVE_BUILD=$(abspath $(BUILD)) >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# The native programs the Windows build is compared with, and nothing more.
windows-native: configure
	@cmake --build $(BUILD) -j $(JOBS) --target thornwick-capture thornwick-bench world_digest screen_diff \
		wm_close content

test-windows: windows windows-native
	@scripts/test-windows $(WINDOWS_BUILD)

bench-windows: windows windows-native
	@mkdir -p bench
	@bash tools/bench/windows_bench.sh $(WINDOWS_BUILD) $(BUILD) bench/windows-latest.txt

# The browser build: the same game compiled by Debian's Emscripten into
# $(WEB_BUILD)/ (index.html, thornwick.js, .wasm, .data), with SDL2 and
# SDL2_mixer built once from Debian's sources (scripts/build-web-sdl) and the
# content from the native generator. web-run serves that folder on
# 127.0.0.1 (port 8000, or the next free one) until Ctrl+C.
.PHONY: web web-deps web-run web-test-deps
WEB_BUILD ?= build-web
WEB_PORT ?= 8000

web-deps:
	@scripts/install-deps --web

web: web-deps
	@scripts/build-web-sdl $(WEB_BUILD)
	@[ -f $(WEB_BUILD)/build.ninja ] || \
		emcmake cmake -S . -B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
			-DTHORNWICK_NATIVE_BUILD=$(abspath $(BUILD)) >/dev/null
	@cmake --build $(WEB_BUILD) -j $(JOBS)

web-run: web
	@node web/serve.js $(WEB_BUILD) $(WEB_PORT)

# What the browser tests need: Chromium, node, and puppeteer-core at the
# version tests/web/package-lock.json pins, installed into tests/web.
web-test-deps:
	@scripts/install-deps --web-test
	@[ tests/web/node_modules/.package-lock.json -nt tests/web/package-lock.json ] || \
		(cd tests/web && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)

# The browser build's tests: the shared suites under node, the same worlds
# natively and in the browser, and the game played in Chromium with its
# scenes compared with the native capture tool's (which the native build
# provides). Ends with CTest's summary.
.PHONY: test-web bench-web web-native
test-web: web web-test-deps web-native
	cd $(WEB_BUILD) && ctest --output-on-failure

# The native programs the browser build is compared with, and nothing more.
web-native: configure
	@cmake --build $(BUILD) -j $(JOBS) --target thornwick-capture thornwick-bench world_digest content

# The browser build's figures: download size, page load to the first
# running frame, and the scripted walk's frame time against the native
# game's on llvmpipe; written to bench/web-latest.txt.
bench-web: web web-test-deps web-native
	@mkdir -p bench
	node tools/bench/web_bench.js --build $(WEB_BUILD) --native $(BUILD) --out bench/web-latest.txt
