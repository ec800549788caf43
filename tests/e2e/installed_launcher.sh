#!/usr/bin/env bash
# Installs the game into a temporary prefix, checks the layout (Debian's for
# games: programs in games/, content in share/games/thornwick/) and its split
# into the two packages' install components, then plays the installed
# launcher from an unrelated directory under Xvfb.
set -u
build_dir=$1
prefix=$(mktemp -d)
split=$(mktemp -d)
trap 'rm -rf "$prefix" "$split"' EXIT
fail() { echo "FAIL: $1"; exit 1; }

cmake --install "$build_dir" --prefix "$prefix" >/dev/null || fail "install"
for f in games/thornwick games/thornwick-game share/games/thornwick/Images/LoadScreen.bmp \
         share/applications/thornwick.desktop share/icons/hicolor/scalable/apps/thornwick.svg \
         share/metainfo/invalid.thornwick.thornwick.metainfo.xml \
         share/man/man6/thornwick.6.gz share/man/man6/thornwick-game.6.gz \
         share/doc/thornwick/copyright share/doc/thornwick/changelog.Debian.gz \
         share/doc/thornwick-data/copyright share/doc/thornwick-data/changelog.Debian.gz; do
  [ -e "$prefix/$f" ] || fail "$f not installed"
done
for f in share/man/man6/thornwick.6.gz share/man/man6/thornwick-game.6.gz share/doc/thornwick/changelog.Debian.gz \
         share/doc/thornwick-data/changelog.Debian.gz; do
  gzip -t "$prefix/$f" || fail "$f is not gzip"
done
# Only the content, not what the tests leave in the run directory.
content=$(ls "$prefix/share/games/thornwick" | tr '\n' ' ')
[ "$content" = "Data Images Sounds " ] || fail "share/games/thornwick holds $content"
# The desktop entry starts the launcher of this installation, wherever it is.
grep -qx "Exec=$prefix/games/thornwick" "$prefix/share/applications/thornwick.desktop" ||
  fail "the desktop entry does not start $prefix/games/thornwick: $(grep Exec "$prefix/share/applications/thornwick.desktop")"
[ ! -e "$prefix/share/lintian" ] || fail "lintian's notes installed outside /usr"

# The components the two packages are made of: thornwick-data (`data`) is the
# content and its notes, thornwick (`game`) everything else, and together they
# are the whole installation.
for c in game data; do
  cmake --install "$build_dir" --prefix "$split/$c" --component "$c" >/dev/null || fail "install of component $c"
done
misplaced=$( (cd "$split/game" && find . -path './share/games/*' -o -path './share/doc/thornwick-data*')
             (cd "$split/data" && find . ! -type d ! -path './share/games/thornwick/*' ! -path './share/doc/thornwick-data/*'))
[ -z "$misplaced" ] || fail "in the wrong component: $(echo "$misplaced" | head -n 5)"
missing=$(diff <(cd "$prefix" && find . | sort) <( (cd "$split/game" && find .; cd "$split/data" && find .) | sort -u))
[ -z "$missing" ] || fail "the components differ from the whole installation: $missing"

bash "$(dirname "$0")/play_installed.sh" "$prefix/games/thornwick"
