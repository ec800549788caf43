#!/usr/bin/env bash
# The README's scenes, as scripts/make-screenshots draws them, by the Windows
# build's thornwick-capture.exe under wine and by the native
# thornwick-capture, both on Mesa's llvmpipe: each pair may have at most 2%
# of its pixels off by more than a tenth in any channel. Prints each scene's
# figure.
#   scenes.sh CAPTURE.EXE WINDOWS_CONTENT NATIVE_BUILD OUT
set -u
capture_exe=$1
windows_content=$2
native=$3
out=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
mkdir -p "$out"
status=0

# The arguments of make-screenshots' shot lines: name seed dt frames place keys.
shot() {
  local name=$1 seed=$2 dt=$3 frames=$4 place=$5 keys=${6:-} picture
  local args=(--seed "$seed" --dt "$dt" --frames "$frames" --shots "$frames" --place "$place" --keys "$keys")
  picture=frame-$(printf %05d "$frames").png
  (cd "$native/run" && ../thornwick-capture "${args[@]}" --out "$out/$name-linux" >/dev/null) ||
    { echo "FAIL: $name: the native capture failed"; status=1; return; }
  (cd "$windows_content" && wine "$capture_exe" "${args[@]}" --out "$out/$name-windows" >/dev/null) ||
    { echo "FAIL: $name: the Windows capture failed"; status=1; return; }
  local off
  off=$("$native/screen_diff" "$out/$name-linux/$picture" "$out/$name-windows/$picture" --tolerance 25) ||
    { echo "FAIL: $name: the pictures cannot be compared"; status=1; return; }
  # 800 x 600 pixels; 2% of them is 9600.
  echo "$name: $off of 480000 pixels off by more than a tenth ($(awk -v n="$off" 'BEGIN { printf "%.3f", n / 4800 }')%)"
  [ "$off" -le 9600 ] || { echo "FAIL: $name differs in more than 2% of its pixels"; status=1; }
}

scenes=$(grep '^shot ' "$root/scripts/make-screenshots")
[ -n "$scenes" ] || { echo "FAIL: no scenes in scripts/make-screenshots"; exit 1; }
eval "$scenes"
[ $status = 0 ] && echo PASS
exit $status
