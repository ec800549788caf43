#!/usr/bin/env bash
# Installs the game into a temporary prefix, starts the installed launcher
# from an unrelated directory under Xvfb, and ends it with Escape.
set -u
build_dir=$1
source "$(dirname "$0")/xvfb_session.sh"
prefix=$(mktemp -d)
elsewhere=$(mktemp -d)
cleanup() { rm -rf "$prefix" "$elsewhere"; }

cmake --install "$build_dir" --prefix "$prefix" >/dev/null || { echo "FAIL: install"; cleanup; exit 1; }
for f in bin/thornwick bin/thornwick-game share/applications/thornwick.desktop \
         share/icons/hicolor/scalable/apps/thornwick.svg share/thornwick/Images/LoadScreen.bmp; do
  [ -e "$prefix/$f" ] || { echo "FAIL: $f not installed"; cleanup; exit 1; }
done

start_xvfb
trap 'kill $XVFB_PID 2>/dev/null; cleanup' EXIT
cd "$elsewhere"
"$prefix/bin/thornwick" 2>"$elsewhere/stderr.txt" &
pid=$!
wait_for_window Thornwick 20 >/dev/null || { echo "FAIL: no window"; kill $pid; exit 1; }
sleep 3
kill -0 $pid 2>/dev/null || { echo "FAIL: ended by itself"; cat "$elsewhere/stderr.txt"; exit 1; }
xdotool mousemove 100 100
tap_key Escape
wait_for_exit $pid 10 || { echo "FAIL: still running after Escape"; kill -9 $pid; exit 1; }
status=$EXIT_STATUS
[ "$status" = 0 ] || { echo "FAIL: exit status $status"; exit 1; }
if grep -q "BMPOrvel\|FileMissing" "$elsewhere/stderr.txt"; then
  echo "FAIL: the installed game missed content files:"; cat "$elsewhere/stderr.txt"; exit 1
fi
echo PASS
