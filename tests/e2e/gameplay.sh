#!/usr/bin/env bash
# The real game under Xvfb, played through the keyboard: holding Up walks the
# player and the view moves; pressing 4 turns the player into a dragon and the
# camera pulls back; Escape ends the game with status 0.
#
# The view is judged on two strips of ground just below the horizon, left and
# right of the player: while the player stands still they hardly change (the
# sky and fog drift, but the near ground is not fogged), while it walks or
# changes shape they change almost everywhere. Before each key the test waits
# for a second in which the view stood still, so the change can be laid to
# the key; villagers crowding round the player can shove it about, so after
# four tries it goes on and says so.
set -u
game=$1
screen_diff=$2
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb
shots=$(mktemp -d)
trap 'kill $XVFB_PID 2>/dev/null; wait $XVFB_PID 2>/dev/null; rm -rf "$shots"' EXIT

"$game" &
pid=$!
fail() { echo "FAIL: $1"; kill -9 $pid 2>/dev/null; exit 1; }
wait_for_window Thornwick 20 >/dev/null || fail "no game window"

shot() { xwd -root -silent >"$shots/$1.xwd"; }
# Pixels that differ between two shots, anywhere, by more than the tolerance.
differing() { "$screen_diff" "$shots/$1.xwd" "$shots/$2.xwd" --tolerance "$3"; }
# Percent of each ground strip that differs between two shots: "left right".
strips() {
  local region result=""
  for region in 420x140+0+520 424x140+600+520; do
    result+="$(( $("$screen_diff" "$shots/$1.xwd" "$shots/$2.xwd" --region "$region" --tolerance 5) * 100 / 58800 )) "
  done
  echo $result
}
moved() { local l r; read -r l r <<<"$1"; [ "$l" -ge 50 ] && [ "$r" -ge 50 ]; }
still() { local l r; read -r l r <<<"$1"; [ "$l" -le 25 ] && [ "$r" -le 25 ]; }

# The loading picture stands still; the running world never does.
running=no
for _ in $(seq 60); do
  shot p; sleep 0.5; shot q
  [ "$(differing p q 0)" -gt 1000 ] && { running=yes; break; }
done
[ $running = yes ] || fail "the world never started moving"
sleep 2

# Leaves the last shot of a still second (or of the fourth try) in before.png.
settle() {
  local change
  for _ in 1 2 3 4; do
    shot still; sleep 1; shot before
    change=$(strips still before)
    still "$change" && { echo "standing still: $change"; return; }
  done
  echo "note: the view never stood still for a second ($change)"
}

settle
xdotool keydown Up; sleep 1; shot walked; xdotool keyup Up
walk=$(strips before walked)
echo "holding Up changed the ground strips (left right, percent): $walk"
moved "$walk" || fail "holding Up did not move the view"

sleep 0.5
settle
xdotool keydown 4; sleep 0.2; xdotool keyup 4; sleep 0.8; shot dragon
shape=$(strips before dragon)
echo "pressing 4 changed the ground strips (left right, percent): $shape"
moved "$shape" || fail "pressing 4 did not change the view"

xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
for _ in $(seq 30); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "still running 3 s after Escape"
wait $pid
status=$?
[ "$status" = 0 ] || { echo "FAIL: exit status $status"; exit 1; }
echo "PASS"
