#!/usr/bin/env bash
# The real Windows game under wine, on the display and in the wine prefix
# that scripts/test-windows set up: installed by its installer into a folder
# whose path has spaces and non-ASCII letters, started from elsewhere, played
# and uninstalled.
#   play_installed.sh SETUP.EXE SCREEN_DIFF WM_CLOSE
# The loading picture fills the screen; the world runs; holding Up moves the
# view; F11 gives an 800 x 600 window and F11 again full screen, storms of
# F11 and Alt+Enter count every press and a held F11 counts once; Escape, and
# closing the window, each end it with status 0. With a picture missing its
# box shows and, once answered, the game goes on; a directory in place of a
# mesh is named on the error output. The uninstaller leaves nothing behind.
set -u
setup=$1
screen_diff=$2
wm_close=$3
source "$(dirname "$0")/../e2e/xvfb_session.sh"
shots=$(mktemp -d)
pid=""
fail() { echo "FAIL: $1"; [ -n "$pid" ] && kill -9 $pid 2>/dev/null; exit 1; }
trap 'rm -rf "$shots"' EXIT

drive_c=$WINEPREFIX/drive_c
folder='C:\users\Zoë\Spiele\Thornwick 1.0'
installed="$drive_c/users/Zoë/Spiele/Thornwick 1.0"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Thornwick"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Thornwick'

# NSIS reads /D= unquoted and last; wine would quote an argument with spaces,
# so cmd passes the command line on as it stands.
cp "$setup" "$drive_c/thornwick-setup.exe"
wine cmd /c "C:\\thornwick-setup.exe /S /D=$folder" || fail "the installer failed"
rm -f "$drive_c/thornwick-setup.exe"
[ -f "$installed/thornwick.exe" ] || fail "nothing installed in $folder"
[ -f "$menu/Thornwick.lnk" ] || fail "no Start-menu entry"
# reg prints in the console's code page, which has its own ë.
wine reg query "$uninstall_key" /v InstallLocation 2>/dev/null | grep -qF 'Spiele\Thornwick 1.0' ||
  fail "not among the installed programs"
echo "installed into $folder"

shot() { xwd -root -silent >"$shots/$1.xwd"; }
changing() { shot a; sleep 0.5; shot b; "$screen_diff" "$shots/a.xwd" "$shots/b.xwd" --region "$1"; }
size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }

# Started from another folder, as a shortcut or Explorer may start it.
start_game() {
  (cd / && exec wine "$folder\\thornwick.exe") 2>"$shots/errors" &
  pid=$!
  window=$(wait_for_window '^Thornwick$' 60) || fail "no game window"
  xdotool windowfocus "$window" 2>/dev/null
}

running() {
  for _ in $(seq 60); do
    [ "$(changing 1024x768+0+0)" -gt 1000 ] && return 0
  done
  return 1
}

wait_for_size() {
  for _ in $(seq 100); do
    [ "$(size)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# The size $1, kept for a second: a storm's presses reach the game over
# several frames.
settles_at() {
  local stayed=0
  for _ in $(seq 100); do
    if [ "$(size)" = "$1" ]; then
      stayed=$((stayed + 1))
      [ $stayed = 5 ] && { echo "$2: $1"; return 0; }
    else
      stayed=0
    fi
    sleep 0.2
  done
  fail "$2 left $(size), not $1"
}

ends_with_zero() {
  wait_for_exit $pid "$2" || fail "still running $2 s after $1"
  [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after $1"
  echo "$1 ended the game with status 0"
}

start_game
loaded=no
for try in $(seq 40); do
  kill -STOP $pid
  shot loading
  cells=$("$screen_diff" "$shots/loading.xwd" "$installed/Images/LoadScreen.bmp" --cells 16x12 --tolerance 16)
  kill -CONT $pid
  [ "$cells" = 0 ] && { loaded=yes; break; }
  sleep 0.2
done
[ $loaded = yes ] || fail "the loading picture never filled the screen ($cells cells of 192 differ)"
echo "the loading picture fills the screen (grab $try)"
running || fail "the world never started moving"
wait_for_size 1024x768 || fail "not full screen: $(size)"
sleep 2

# The ground below the horizon changes little in a second of standing
# (villagers pass), and nearly everywhere in a second of walking.
ground() { "$screen_diff" "$shots/$1.xwd" "$shots/$2.xwd" --region 1024x200+0+520 --tolerance 5; }
shot before; sleep 1; shot still
xdotool keydown Up; sleep 1; shot walked; xdotool keyup Up
stood=$(ground before still)
walked=$(ground still walked)
echo "of 204800 pixels of the ground, $stood changed in a second of standing, $walked holding Up"
[ "$walked" -gt 102400 ] && [ "$walked" -gt $((stood + 51200)) ] || fail "holding Up did not move the view"

tap_key F11
wait_for_size 800x600 || fail "F11 left $(size), not an 800 x 600 window"
tap_key F11
wait_for_size 1024x768 || fail "F11 again left $(size), not full screen"
echo "F11 went to an 800 x 600 window and back"
xdotool key --repeat 3 --delay 0 F11
settles_at 800x600 "3 presses of F11"
xdotool key --repeat 101 --delay 0 alt+Return
settles_at 1024x768 "101 presses of Alt+Enter"
xdotool keydown F11; sleep 1.5; xdotool keyup F11
settles_at 800x600 "F11 held"
tap_key Escape
ends_with_zero Escape 10

start_game
running || fail "the world never started moving the second time"
"$wm_close" "$window" || fail "could not close the window"
ends_with_zero "closing the window" 10

# Damaged content: a picture missing, a directory in place of a mesh.
mv "$installed/Images/Bark.bmp" "$shots/Bark.bmp"
mv "$installed/Data/Objects/Cottage.mub" "$shots/Cottage.mub"
mkdir "$installed/Data/Objects/Cottage.mub"
start_game
box=$(wait_for_window '^BMPOrvel$' 60) || fail "no box for the missing picture"
xdotool windowfocus "$box" 2>/dev/null; sleep 0.5; xdotool key Return
running || fail "the game did not go on after the box"
grep -qF 'thornwick: Images/Bark.bmp: missing' "$shots/errors" || fail "the missing picture is not named"
grep -qF 'thornwick: Data/Objects/Cottage.mub: not a regular file' "$shots/errors" ||
  fail "the directory in place of the mesh is not named"
echo "the missing picture's box showed and the game went on; both files are named"
xdotool windowfocus "$window" 2>/dev/null
tap_key Escape
ends_with_zero "Escape after damaged content" 10
rmdir "$installed/Data/Objects/Cottage.mub"
mv "$shots/Bark.bmp" "$installed/Images/Bark.bmp"
mv "$shots/Cottage.mub" "$installed/Data/Objects/Cottage.mub"

# The uninstaller runs from a copy of itself and returns at once.
wine "$folder\\uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 100); do
  [ -e "$installed" ] || [ -e "$menu" ] || break
  sleep 0.2
done
[ -e "$installed" ] && fail "left behind: $(cd "$installed" && find . | head)"
[ -e "$menu" ] && fail "the Start-menu entry is left"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "still among the installed programs"
echo "the uninstaller left nothing behind"
echo "PASS"
