#!/bin/sh
# Builds the fuzzers with clang in the given build directory (configuring it
# on first use), writes the seed files, and runs every fuzzer for the given
# number of seconds on its own corpus. Prints each fuzzer's executions and
# exits non-zero when any fuzzer found a crash, leak, hang or oversized
# allocation; the input that did it is kept under <build>/fuzz-findings.
#   fuzz/run_fuzzers.sh <build directory> <seconds per fuzzer>
set -u
build=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTHORNWICK_FUZZ=ON -DTHORNWICK_TESTS=OFF \
        -DTHORNWICK_SANITIZE=OFF >"$build.configure.log" 2>&1 ||
        { cat "$build.configure.log"; exit 1; }
fi
cmake --build "$build" --target fuzzers || exit 1
"$build/fuzz_seeds" "$build/fuzz-seeds" || exit 1
mkdir -p "$build/fuzz-findings"

failed=0
for reader in bmp tga mesh bones animation; do
    corpus="$build/fuzz-corpus/$reader"
    log="$build/fuzz-$reader.log"
    mkdir -p "$corpus"
    "$build/fuzz_$reader" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -malloc_limit_mb=512 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-findings/$reader-" \
        "$corpus" "$build/fuzz-seeds/$reader" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ "$status" -ne 0 ]; then
        echo "fuzz_$reader: FOUND A FAULT (exit $status) after ${runs:-?} executions; see $log"
        tail -n 40 "$log"
        failed=1
    else
        echo "fuzz_$reader: ${runs:-?} executions in ${seconds} s, nothing found"
    fi
done
exit $failed
