#!/usr/bin/env bash
# The real game under Xvfb: F11 turns full screen into an 800 x 600 window
# centred on the 1024 x 768 screen and F11 again fills the screen; Alt+Enter
# does the same. The game keeps drawing in either mode, the mouse cursor shows
# over the window and not over the full screen, and Escape still ends it with
# status 0.
set -u
game=$1
screen_diff=$2
cursor_shown=$3
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb
shots=$(mktemp -d)
trap 'kill $XVFB_PID 2>/dev/null; wait $XVFB_PID 2>/dev/null; rm -rf "$shots"' EXIT

"$game" &
pid=$!
fail() { echo "FAIL: $1"; kill -9 $pid 2>/dev/null; exit 1; }
window=$(wait_for_window Thornwick 20) || fail "no game window"

shot() { xwd -root -silent >"$shots/$1.xwd"; }
# Pixels of the region that differ between two grabs half a second apart.
changing() { shot a; sleep 0.5; shot b; "$screen_diff" "$shots/a.xwd" "$shots/b.xwd" --region "$1"; }
place() { xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([-0-9]*,[-0-9]*\).*/\1/p'; }
size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
# Waits up to ten seconds (a loaded machine draws slowly, and the window
# changes between frames) for the window to stand at $1 with size $2.
wait_for_geometry() {
  for _ in $(seq 100); do
    [ "$(place)" = "$1" ] && [ "$(size)" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# The loading picture stands still; the running world never does.
running=no
for _ in $(seq 60); do
  [ "$(changing 1024x768+0+0)" -gt 1000 ] && { running=yes; break; }
done
[ $running = yes ] || fail "the world never started moving"
# The first running frames are the slowest; let them pass.
sleep 2
wait_for_geometry 0,0 1024x768 || fail "not full screen at the start: $(place) $(size)"
# The pointer stands inside the window in either mode.
xdotool mousemove 512 384
cursor() { sleep 0.2; "$cursor_shown"; }
[ "$(cursor)" = 0 ] || fail "the cursor shows over the full screen at the start"

for key in F11 alt+Return; do
  tap_key "$key"
  wait_for_geometry 112,84 800x600 || fail "$key gave $(place) $(size), not a centred 800x600 window"
  kill -0 $pid 2>/dev/null || fail "the game ended after $key"
  drawn=$(changing 800x600+112+84)
  echo "$key: window at $(place), $(size); $drawn pixels changed in half a second"
  [ "$drawn" -gt 1000 ] || fail "the game stopped drawing in the window"
  [ "$(cursor)" = 1 ] || fail "no cursor over the window"

  tap_key "$key"
  wait_for_geometry 0,0 1024x768 || fail "$key again gave $(place) $(size), not full screen"
  drawn=$(changing 1024x768+0+0)
  echo "$key again: full screen, $drawn pixels changed in half a second"
  [ "$drawn" -gt 1000 ] || fail "the game stopped drawing after going back to full screen"
  [ "$(cursor)" = 0 ] || fail "the cursor shows over the full screen after $key"
done

tap_key Escape
wait_for_exit $pid 3 || fail "still running 3 s after Escape"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
echo "PASS"
