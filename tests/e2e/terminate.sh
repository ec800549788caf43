#!/usr/bin/env bash
# The real game under Xvfb ends on SIGTERM, while loading and once running, as
# any program does: nothing it opens (the gamepads' event queue, the sound
# device) may swallow the signal. (SIGINT is handled alike, but a script's
# background jobs start with it ignored, so it cannot be tested this way.)
set -u
game=$1
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb

# Starts the game, waits for its window and $1 seconds more, sends signal $2
# and expects the game to end by that signal within ten seconds.
ends_by_signal() {
  local delay=$1 signal=$2 pid
  "$game" &
  pid=$!
  wait_for_window Thornwick 20 >/dev/null || { echo "FAIL: no game window"; kill -9 $pid; exit 1; }
  sleep "$delay"
  kill -s "$signal" $pid
  wait_for_exit $pid 10 || { echo "FAIL: still running 10 s after SIG$signal"; kill -9 $pid; exit 1; }
  [ "$EXIT_STATUS" = $((128 + $(kill -l "$signal"))) ] ||
    { echo "FAIL: status $EXIT_STATUS after SIG$signal"; exit 1; }
  echo "SIG$signal after ${delay} s ended the game"
}

ends_by_signal 0 TERM
ends_by_signal 6 TERM
echo PASS
