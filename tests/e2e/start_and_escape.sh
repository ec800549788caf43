#!/usr/bin/env bash
# The real game under Xvfb: it opens its window full screen, keeps running for
# five seconds, and Escape ends it with status 0 within two seconds.
set -u
game=$1
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb

"$game" &
pid=$!
window=$(wait_for_window Thornwick 20) || { echo "FAIL: no game window"; kill $pid; exit 1; }

sleep 5
kill -0 $pid 2>/dev/null || { echo "FAIL: the game ended by itself"; exit 1; }
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry"
echo "$geometry" | grep -q "Geometry: 1024x768" || { echo "FAIL: not full screen"; kill $pid; exit 1; }

xdotool mousemove 100 100
tap_key Escape
wait_for_exit $pid 2 || { echo "FAIL: still running 2 s after Escape"; kill -9 $pid; exit 1; }
status=$EXIT_STATUS
[ "$status" = 0 ] || { echo "FAIL: exit status $status"; exit 1; }
echo "PASS"
