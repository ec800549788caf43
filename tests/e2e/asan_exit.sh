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

# In a sanitizer build Mesa's software driver is kept loaded to the end: it
# is unloaded when the display closes at exit, before LeakSanitizer's check,
# which could then neither name its frames nor match them against the
# suppressions of tests/lsan.supp (the allocations it keeps for the window's
# context, which nothing frees before exit). The sanitizer runtime must stay
# first in the list of preloaded libraries.
preload=""
asan=$(ldd "$game" 2>/dev/null | awk '/libasan/ {print $3}')
driver=$(ls /usr/lib/*/dri/swrast_dri.so /usr/lib*/dri/swrast_dri.so 2>/dev/null | head -n1)
if [ -n "$asan" ] && [ -n "$driver" ]; then
  preload="$asan:$driver"
fi

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
