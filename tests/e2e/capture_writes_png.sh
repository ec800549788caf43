#!/usr/bin/env bash
# The capture tool runs the game headless, with no X server, and writes the
# frames it is asked for as PNG files.
set -eu
capture=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
env -u DISPLAY "$capture" --seed 1 --frames 3 --shots 1,3 --out "$out" > "$out/log.txt"
cat "$out/log.txt"
for f in frame-00001.png frame-00003.png; do
  head -c 8 "$out/$f" | od -An -tx1 | grep -q "89 50 4e 47 0d 0a 1a 0a" || { echo "FAIL: $f is not a PNG"; exit 1; }
done
[ ! -e "$out/frame-00002.png" ] || { echo "FAIL: a frame that was not asked for was written"; exit 1; }
grep -q "^update: median" "$out/log.txt" && grep -q "^draw: median" "$out/log.txt" || { echo "FAIL: no timing summary"; exit 1; }
if env -u DISPLAY "$capture" --frames 0 --out "$out" 2>/dev/null; then echo "FAIL: --frames 0 accepted"; exit 1; fi
if env -u DISPLAY "$capture" --keys "UP:9-1" --out "$out" 2>/dev/null; then echo "FAIL: a bad key script accepted"; exit 1; fi
echo PASS
