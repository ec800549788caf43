#!/usr/bin/env bash
# Closing the game's window through the window manager ends the game as
# Escape does: status 0, after its exit handlers have released the sound
# system and the characters. Xvfb has no window manager, so wm_close sends
# the WM_DELETE_WINDOW message one would send. In a sanitizer build nothing
# may be reported on the way out, leaks included (Mesa's driver is kept
# loaded to the end for the leak check, as in asan_exit.sh).
set -u
game=$1
wm_close=$2
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb
errors=$(mktemp)
trap 'kill $XVFB_PID 2>/dev/null; wait $XVFB_PID 2>/dev/null; rm -f "$errors"' EXIT

preload=$(sanitizer_preload "$game")

LD_PRELOAD="$preload" "$game" 2>"$errors" &
pid=$!
fail() { echo "FAIL: $1"; kill -9 $pid 2>/dev/null; cat "$errors"; exit 1; }
window=$(wait_for_window Thornwick 60) || fail "no game window"

# Let the world be built and the sound system opened (a sanitizer build is
# several times slower), then close the window.
sleep 8
kill -0 $pid 2>/dev/null || fail "the game ended by itself"
"$wm_close" "$window" || fail "could not close the window"
# The leak check at exit walks the whole heap: give it time.
wait_for_exit $pid 60 || fail "still running 60 s after the window was closed"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
if grep -E "ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error" "$errors"; then
  fail "sanitizer report at exit"
fi
echo "PASS"
