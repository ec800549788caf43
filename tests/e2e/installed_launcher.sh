#!/usr/bin/env bash
# Installs the game into a temporary prefix, checks the layout (Debian's for
# games: programs in games/, content in share/games/thornwick/), then plays
# the installed launcher from an unrelated directory under Xvfb.
set -u
build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $1"; exit 1; }

cmake --install "$build_dir" --prefix "$prefix" >/dev/null || fail "install"
for f in games/thornwick games/thornwick-game share/games/thornwick/Images/LoadScreen.bmp \
         share/applications/thornwick.desktop share/icons/hicolor/scalable/apps/thornwick.svg \
         share/metainfo/invalid.thornwick.thornwick.metainfo.xml \
         share/man/man6/thornwick.6.gz share/man/man6/thornwick-game.6.gz \
         share/doc/thornwick/copyright share/doc/thornwick/changelog.Debian.gz; do
  [ -e "$prefix/$f" ] || fail "$f not installed"
done
for f in share/man/man6/thornwick.6.gz share/man/man6/thornwick-game.6.gz share/doc/thornwick/changelog.Debian.gz; do
  gzip -t "$prefix/$f" || fail "$f is not gzip"
done
# The desktop entry starts the launcher of this installation, wherever it is.
grep -qx "Exec=$prefix/games/thornwick" "$prefix/share/applications/thornwick.desktop" ||
  fail "the desktop entry does not start $prefix/games/thornwick: $(grep Exec "$prefix/share/applications/thornwick.desktop")"
[ ! -e "$prefix/share/lintian" ] || fail "lintian's notes installed outside /usr"

bash "$(dirname "$0")/play_installed.sh" "$prefix/games/thornwick"
