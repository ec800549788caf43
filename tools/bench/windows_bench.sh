#!/usr/bin/env bash
# The Windows build's figures (make bench-windows), written to OUT:
#   - the sizes of the zip and the installer a player downloads;
#   - start to the first running frame: thornwick-capture.exe under wine
#     from its start to its exit after the first running frame (seed 7),
#     against the native thornwick-capture, runs interleaved;
#   - the scripted walk of tools/bench/frame_bench.cpp (its seed, step,
#     frames and keys, read from there) at 800 x 600 through each capture
#     tool, both on Mesa's llvmpipe, runs interleaved: the median update and
#     draw of a frame, and the ratio (goal at most 1.2x);
#   - the machine's load before and after.
#   tools/bench/windows_bench.sh WINDOWS_BUILD NATIVE_BUILD OUT [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd -P)
windows=$(realpath "$1")
native=$(realpath "$2")
out=$3
runs=${4:-3}
source "$root/tests/windows/wine_session.sh"
start_wine_session "$windows"
export SDL_AUDIODRIVER=dummy

value() {
  sed -n "s/.*$1.*/\\1/p" "$root/tools/bench/frame_bench.cpp" | head -n1 | grep . ||
    { echo "tools/bench/frame_bench.cpp no longer has $1" >&2; exit 1; }
}
seed=$(value 'BenchSeed = \([0-9]*\);')
rate=$(value 'FrameStep = 1\.0 \/ \([0-9.]*\);')
frames=$(value 'WalkFrames = \([0-9]*\);')
keys=$(value 'WalkKeys = "\([^"]*\)";')
step=$(awk -v r="$rate" 'BEGIN { printf "%.9f", 1 / r }')

load() { cut -d' ' -f1-3 /proc/loadavg; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now() { date +%s.%N; }

# capture SIDE ARGS...: the capture tool of that side in its content folder.
capture() {
  local side=$1; shift
  if [ "$side" = windows ]; then
    (cd "$windows/content/run" && wine "$windows/thornwick-capture.exe" "$@")
  else
    (cd "$native/run" && "$native/thornwick-capture" "$@")
  fi
}

# Seconds from the start of the process to its exit after one running frame.
start_time() {
  local start
  start=$(now)
  capture "$1" --seed "$seed" --frames 1 >/dev/null
  awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f\n", b - a }'
}

# The walk's median update + draw of a frame, in milliseconds.
walk_time() {
  capture "$1" --seed "$seed" --dt "$step" --frames $((frames + 1)) --keys "$keys" |
    awk '/^(update|draw): median/ { sum += $3 } END { printf "%.3f\n", sum }'
}

load_before=$(load)
declare -A starts walks
for side in native windows; do capture $side --seed "$seed" --frames 1 >/dev/null; done
for _ in $(seq 5); do
  for side in native windows; do starts[$side]+="$(start_time $side) "; done
done
for _ in $(seq "$runs"); do
  for side in native windows; do walks[$side]+="$(walk_time $side) "; done
done
load_after=$(load)

zip_file=$(ls "$windows"/thornwick-*-windows-x64.zip | head -n1)
setup_file=$(ls "$windows"/thornwick-*-windows-x64-setup.exe | head -n1)
mib() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.2f MiB", b / 1048576 }'; }
start_native=$(tr ' ' '\n' <<<"${starts[native]}" | grep . | median)
start_windows=$(tr ' ' '\n' <<<"${starts[windows]}" | grep . | median)
walk_native=$(tr ' ' '\n' <<<"${walks[native]}" | grep . | median)
walk_windows=$(tr ' ' '\n' <<<"${walks[windows]}" | grep . | median)
{
  echo "# Windows build, $(date -u +%Y-%m-%d), $(nproc) cores; load average before $load_before, after $load_after"
  echo "zip: $(basename "$zip_file") $(mib "$zip_file")"
  echo "installer: $(basename "$setup_file") $(mib "$setup_file")"
  echo "start to first running frame, headless, seed $seed, median of 5: native ${start_native} s, wine ${start_windows} s" \
    "($(awk -v a="$start_windows" -v b="$start_native" 'BEGIN { printf "%.2f", a / b }')x)"
  echo "scripted walk at 800x600 (seed $seed, $frames frames of 1/$rate s x $runs runs each, interleaved)," \
    "median update + draw of a frame: native ${walk_native} ms, wine ${walk_windows} ms" \
    "($(awk -v a="$walk_windows" -v b="$walk_native" 'BEGIN { printf "%.2f", a / b }')x, goal 1.2x)"
  echo "runs: start native ${starts[native]}/ wine ${starts[windows]}; walk native ${walks[native]}/ wine ${walks[windows]}"
} | tee "$out"
