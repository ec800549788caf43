#!/usr/bin/env bash
# The include-direction check must catch what it guards against: in a copy of
# the tree it passes, then fails for an upward include planted in each layer
# (and in the ground-floor header), and passes again for a downward one.
set -euo pipefail
check=$(dirname "$0")/include_direction.sh
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $1"; exit 1; }

fresh_copy() { rm -rf "$work/src"; cp -r "$src" "$work/src"; }
fresh_copy
bash "$check" "$work/src" >/dev/null || fail "the untouched tree does not pass"

# file, include planted at its top
planted=(
  "platform/backend.h|game_state.h"
  "platform/notice.cpp|assets/asset_tables.h"
  "assets/animation.cpp|world/terrain_grid.h"
  "world/scenery.cpp|characters/character.h"
  "world/terrain_drawing.cpp|app/frame_loop.h"
  "characters/character_update.cpp|app/game_tick.h"
  "game_state.h|platform/keys.h"
)
for case in "${planted[@]}"; do
  file=${case%%|*} include=${case#*|}
  fresh_copy
  sed -i "1i #include \"$include\"" "$work/src/$file"
  if out=$(bash "$check" "$work/src"); then
    fail "$file including $include was not caught"
  fi
  echo "$out" | grep -q "^$file: includes \"$include\"" || fail "wrong report for $file: $out"
done

fresh_copy
sed -i '1i #include "platform/backend.h"' "$work/src/characters/character_update.cpp"
bash "$check" "$work/src" >/dev/null || fail "a downward include was refused"
echo PASS
