#!/usr/bin/env bash
# The source tree's layers, lowest first: platform < assets < world <
# characters < app. A file may include its own layer and those below it, and
# every layer but the platform may include the ground-floor game_state.h,
# which itself includes nothing of ours. Prints each include that points up
# and fails if there is one. Usage: include_direction.sh SRC_DIR
set -euo pipefail
src=${1:?usage: include_direction.sh SRC_DIR}
layers=(platform assets world characters app)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

# Whether a file of layer $1 (a name, or "root" for files directly in src/)
# may include the quoted path $2.
allowed() {
  local from=$1 path=$2 folder
  if [ "$path" = game_state.h ]; then
    [ "$from" != platform ] && [ "$from" != game_state.h ]
    return
  fi
  [ "$from" = game_state.h ] && return 1
  [ "$from" = root ] && return 0
  case $path in */*) folder=${path%%/*} ;; *) return 1 ;; esac
  [ -n "${rank[$folder]:-}" ] && [ "${rank[$folder]}" -le "${rank[$from]}" ]
}

status=0
while IFS= read -r -d '' file; do
  relative=${file#"$src"/}
  case $relative in
    */*) from=${relative%%/*} ;;
    game_state.h) from=game_state.h ;;
    *) from=root ;;
  esac
  if [ "$from" != root ] && [ "$from" != game_state.h ] && [ -z "${rank[$from]:-}" ]; then
    echo "$relative: in a folder that is no layer (${layers[*]})"
    status=1
    continue
  fi
  while IFS= read -r path; do
    allowed "$from" "$path" && continue
    echo "$relative: includes \"$path\", above its layer"
    status=1
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
exit $status
