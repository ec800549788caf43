#!/usr/bin/env bash
# Plays an installed Thornwick as a player would: starts the given launcher
# from an unrelated directory under Xvfb, checks that the game keeps running
# for a few seconds, ends it with Escape (status 0), and fails when its error
# output names a content file that failed to load. Used by
# e2e_installed_launcher and by the test of the Debian package in a fresh
# root.
#   play_installed.sh LAUNCHER
set -u
launcher=$1
source "$(dirname "$0")/xvfb_session.sh"
elsewhere=$(mktemp -d)
start_xvfb
trap 'kill $XVFB_PID 2>/dev/null; wait $XVFB_PID 2>/dev/null; rm -rf "$elsewhere"' EXIT
fail() { echo "FAIL: $1"; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; cat "$elsewhere/stderr.txt"; exit 1; }

cd "$elsewhere"
"$launcher" 2>"$elsewhere/stderr.txt" &
pid=$!
wait_for_window Thornwick 30 >/dev/null || fail "no window"
sleep 3
kill -0 $pid 2>/dev/null || fail "ended by itself"
xdotool mousemove 100 100
tap_key Escape
wait_for_exit $pid 10 || fail "still running 10 s after Escape"
pid=""
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
# Each content file that fails to load is named on a line of its own.
if grep -q "^thornwick: \(Images\|Data\|Sounds\)/" "$elsewhere/stderr.txt"; then
  fail "the installed game missed content files"
fi
echo "PASS: $launcher ran from $elsewhere and ended with status 0 on Escape"
