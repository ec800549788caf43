#!/usr/bin/env bash
# Escape in the real game under Xvfb: the game ends with status 0 after
# releasing the sound system and freeing the characters. In a sanitizer build
# the exit handlers and LeakSanitizer's check at exit run too, and nothing may
# be reported: no invalid access, no undefined behaviour, no leak of ours.
set -u
game=$1
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb
errors=$(mktemp)
trap 'kill $XVFB_PID 2>/dev/null; wait $XVFB_PID 2>/dev/null; rm -f "$errors"' EXIT

# Mesa's driver stays loaded for the leak check (see sanitizer_preload).
preload=$(sanitizer_preload "$game")

LD_PRELOAD="$preload" "$game" 2>"$errors" &
pid=$!
fail() { echo "FAIL: $1"; kill -9 $pid 2>/dev/null; cat "$errors"; exit 1; }
wait_for_window Thornwick 60 >/dev/null || fail "no game window"

# Let the world be built and a few seconds of play run (a sanitizer build is
# several times slower), then leave.
sleep 8
kill -0 $pid 2>/dev/null || fail "the game ended by itself"
tap_key Escape
# The leak check at exit walks the whole heap: give it time. The game is
# waited for in this shell, whose child it is, to read its real status.
for _ in $(seq 600); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
kill -0 $pid 2>/dev/null && fail "still running 60 s after Escape"
wait $pid
status=$?
[ "$status" = 0 ] || fail "exit status $status"
if grep -E "ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error" "$errors"; then
  fail "sanitizer report at exit"
fi
echo "PASS"
