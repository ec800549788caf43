# Sourced by the end-to-end tests: starts a private Xvfb server, with a
# 1024 x 768 screen unless given another size (start_xvfb 320x240), and
# exports DISPLAY; the server is stopped when the test's shell exits, or by
# stop_xvfb before another is started.
#
# -noreset: by default the server resets when its last client leaves, and a
# client connecting meanwhile is refused. The tests poll with xdotool while
# the game starts, so a poll that ends before the game connects would make
# the game fail to open the display now and then (seen under the sanitizers).
start_xvfb() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
  XVFB_PID=$!
  trap 'kill $XVFB_PID 2>/dev/null; wait $XVFB_PID 2>/dev/null' EXIT
  for _ in $(seq 200); do
    [ -s "$fdfile" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
  [ "$DISPLAY" != ":" ] || { echo "Xvfb did not start"; exit 1; }
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] || return 0
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
}

# Waits up to $2 seconds for a window named $1 and prints its id.
wait_for_window() {
  local id=""
  for _ in $(seq $(( $2 * 10 ))); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Holds a key for a fifth of a second through the XTEST extension, so both the
# server's key map and the focused window see it.
tap_key() {
  xdotool keydown "$1"
  sleep 0.2
  xdotool keyup "$1"
}

# Waits up to $2 seconds for process $1, a child of this shell, to end and
# sets EXIT_STATUS to its status; returns 1 while it still runs. Call it
# directly, not in $(...): only the shell that started the game can wait for
# it and read its real status.
wait_for_exit() {
  local pid=$1
  for _ in $(seq $(( $2 * 10 ))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      EXIT_STATUS=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# The libraries to preload into the game ($1) for a clean leak check at exit:
# in a sanitizer build Mesa's software driver is kept loaded to the end. It is
# otherwise unloaded when the display closes at exit, before LeakSanitizer's
# check, which could then neither name its frames nor match them against the
# suppressions of tests/lsan.supp (the allocations it keeps for the window's
# context, which nothing frees before exit). The sanitizer runtime must stay
# first in the list. Prints nothing for a build without sanitizers.
sanitizer_preload() {
  local asan driver
  asan=$(ldd "$1" 2>/dev/null | awk '/libasan/ {print $3}')
  driver=$(ls /usr/lib/*/dri/swrast_dri.so /usr/lib*/dri/swrast_dri.so 2>/dev/null | head -n1)
  if [ -n "$asan" ] && [ -n "$driver" ]; then
    echo "$asan:$driver"
  fi
}
