# Thornwick's commands. Each one first installs what is missing, configures
# and builds; the game and its content end up in build/.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-asan bench fuzz soak install package clean

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

test-asan: deps $(ASAN_BUILD)/build.ninja
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS) -LE long

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)

bench: build
	@mkdir -p bench
	cd $(BUILD)/run && ../thornwick-bench --out $(CURDIR)/bench/latest.txt

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

# Fuzzing: the content readers under libFuzzer, built with clang in
# $(FUZZ_BUILD). `fuzz` runs each fuzzer for a minute, `fuzz-smoke` for a few
# seconds; both fail when a fuzzer finds a fault.
.PHONY: fuzz-smoke
FUZZ_SECONDS ?= 60

fuzz: deps
	@sh fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: deps
	@sh fuzz/run_fuzzers.sh $(FUZZ_BUILD) 3
