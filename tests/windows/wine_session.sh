# Sourced by scripts/test-windows and tools/bench/windows_bench.sh: a
# private Xvfb display (1024 x 768 unless given another size) and the
# Windows build's own wine prefix, made on first use, with its server kept
# running so each program starts in a fraction of a second rather than
# seconds. Both end when the sourcing shell exits.
#   start_wine_session WINDOWS_BUILD [WxH]
#
# Wine's server and services inherit the output of the program that starts
# them, so a pipe from the first wine program (CTest's, say) would stay open
# until they exit: they are started here first, with their output sent
# nowhere. Wine's Mono and Gecko add-ons, which it would otherwise offer to
# download into a new prefix, are turned off.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/xvfb_session.sh"

start_wine_session() {
  export WINEPREFIX=$1/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  start_xvfb "${2:-1024x768}"
  trap 'wineserver -k >/dev/null 2>&1; stop_xvfb' EXIT
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1 </dev/null
  wine wineboot -i >/dev/null 2>&1 </dev/null
}
