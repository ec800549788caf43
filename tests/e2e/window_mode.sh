#!/usr/bin/env bash
# The real game under Xvfb. On a 320 x 240, a 3840 x 2160 and a 1024 x 768
# screen the loading picture covers the whole screen. Then F11 turns full
# screen into an 800 x 600 window centred on the 1024 x 768 screen and F11
# again fills the screen; Alt+Enter does the same. The game keeps drawing in
# either mode, the mouse cursor shows over the window and not over the full
# screen, and Escape still ends it with status 0. Storms of presses far
# quicker than frames count every press, in order: an odd number changes the
# mode, an even number leaves it; a held key counts once.
set -u
game=$1
screen_diff=$2
cursor_shown=$3
source "$(dirname "$0")/xvfb_session.sh"
shots=$(mktemp -d)
pid=""
fail() { echo "FAIL: $1"; [ -n "$pid" ] && kill -9 $pid 2>/dev/null; exit 1; }

# Starts the game on a fresh screen of size $1 and waits for its window.
start_game() {
  stop_xvfb
  start_xvfb "$1"
  trap 'stop_xvfb; rm -rf "$shots"' EXIT
  "$game" &
  pid=$!
  window=$(wait_for_window Thornwick 20) || fail "no game window on the $1 screen"
}

shot() { xwd -root -silent >"$shots/$1.xwd"; }
# Pixels of the region that differ between two grabs half a second apart.
changing() { shot a; sleep 0.5; shot b; "$screen_diff" "$shots/a.xwd" "$shots/b.xwd" --region "$1"; }
place() { xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([-0-9]*,[-0-9]*\).*/\1/p'; }
size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
cursor() { sleep 0.2; "$cursor_shown"; }
# Waits up to ten seconds (a loaded machine draws slowly, and the window
# changes between frames) for the window to stand at $1 with size $2.
wait_for_geometry() {
  for _ in $(seq 100); do
    [ "$(place)" = "$1" ] && [ "$(size)" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
# As wait_for_geometry, and then for it to stay so for a second: a storm's
# presses reach the game over several frames.
wait_for_settled_geometry() {
  local stayed=0
  for _ in $(seq 100); do
    if [ "$(place)" = "$1" ] && [ "$(size)" = "$2" ]; then
      stayed=$((stayed + 1))
      [ $stayed = 5 ] && return 0
    else
      stayed=0
    fi
    sleep 0.2
  done
  return 1
}
# Pixels of region $1 that changed in the first of five half seconds in
# which any did: a game that stopped drawing leaves the screen as it was,
# but so for a while may one that draws slowly (a sanitizer build) or a
# still view (night, nobody near).
drawing() {
  local drawn
  for _ in 1 2 3 4 5; do
    drawn=$(changing "$1")
    [ "$drawn" -gt 0 ] && break
  done
  echo "$drawn"
}
# The game has settled in mode $1 (window or full) after $2: the window's
# place and size, the game drawing in it, the cursor shown over the window
# only.
settles_in() {
  local place=0,0 size=1024x768 cursor=0 drawn
  [ "$1" = window ] && { place=112,84; size=800x600; cursor=1; }
  wait_for_settled_geometry $place $size || fail "$2 left $(place) $(size), not the $1 mode"
  drawn=$(drawing "$size+${place/,/+}")
  echo "$2: $(place), $(size); $drawn pixels changed in half a second"
  [ "$drawn" -gt 0 ] || fail "the game stopped drawing after $2"
  [ "$(cursor)" = $cursor ] || fail "the cursor is wrong for the $1 mode after $2"
}

# The loading picture stays on screen while the world is built, for a second
# or more. The game is stopped for each grab, so that a grab however slow
# (a large screen, a loaded machine) cannot outlast the picture; it runs on
# for a fifth of a second between grabs, until the picture shows in every
# cell of the screen or thirty grabs have missed it.
loading_picture_fills() {
  local cells="" try
  for try in $(seq 30); do
    kill -STOP $pid
    shot loading
    cells=$("$screen_diff" "$shots/loading.xwd" Images/LoadScreen.bmp --cells 16x12 --tolerance 16)
    kill -CONT $pid
    [ "$cells" = 0 ] && { echo "$1: the loading picture fills the screen (grab $try)"; return 0; }
    sleep 0.2
  done
  fail "the loading picture never filled the $1 screen ($cells cells of 192 differ)"
}

for screen in 320x240 3840x2160; do
  start_game $screen
  loading_picture_fills $screen
  kill -9 $pid
  wait $pid 2>/dev/null
done
start_game 1024x768
loading_picture_fills 1024x768

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
[ "$(cursor)" = 0 ] || fail "the cursor shows over the full screen at the start"

for key in F11 alt+Return; do
  tap_key "$key"
  settles_in window "$key"
  tap_key "$key"
  settles_in full "$key again"
done

xdotool key --repeat 1001 --delay 0 F11
settles_in window "1001 presses of F11"
xdotool key --repeat 1000 --delay 0 alt+Return
settles_in window "1000 presses of Alt+Enter"
# Two presses, nearly always within one frame.
xdotool key --repeat 2 --delay 0 F11
settles_in window "2 presses of F11"
# Held past the key repeat's delay: the repeats do not count.
xdotool keydown F11
sleep 1.5
xdotool keyup F11
settles_in full "F11 held"

tap_key Escape
wait_for_exit $pid 3 || fail "still running 3 s after Escape"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
echo "PASS"
