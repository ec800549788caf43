#!/usr/bin/env bash
# The real game under Xvfb when the X server goes away mid-game: it ends
# within a few seconds with a status that is not Escape's 0, and says why in
# one line on standard error.
set -u
game=$1
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb
errors=$(mktemp)
trap 'rm -f "$errors"; kill $XVFB_PID 2>/dev/null' EXIT

"$game" 2>"$errors" &
pid=$!
wait_for_window Thornwick 20 >/dev/null || { echo "FAIL: no game window"; kill -9 $pid; exit 1; }
sleep 4
kill -0 $pid 2>/dev/null || { echo "FAIL: the game ended by itself"; cat "$errors"; exit 1; }

kill -9 "$XVFB_PID"
wait_for_exit $pid 5 || { echo "FAIL: still running 5 s after the display went"; kill -9 $pid; exit 1; }
cat "$errors"
[ "$EXIT_STATUS" != 0 ] || { echo "FAIL: status 0, as after Escape"; exit 1; }
[ "$(grep -c "^thornwick: lost the X display $DISPLAY\$" "$errors")" = 1 ] ||
  { echo "FAIL: the lost display is not named once"; exit 1; }
echo "status $EXIT_STATUS"
echo PASS
