# shellcheck shell=bash
# Sourced by scripts/build-web-sdl and scripts/build-windows-libs, after
# scripts/fresh-root.sh (archive_sources, say, die): Debian's own source
# packages of the libraries the native game links, fetched with apt-get
# source and unpacked under a directory of the caller's, DIR:
#   DIR/apt    a source list of our own and the package lists it brings
#   DIR/src    the downloads, the unpacked trees and fetched.stamp
# The machine's apt configuration is left alone: only these apt-get calls
# read DIR/apt.

# "SOURCE VERSION" of the source package a binary package was built from: the
# installed one when the native build's package is there, else apt's candidate.
source_of() {
  local package=$1 installed
  installed=$(dpkg-query -W -f='${db:Status-Abbrev} ${source:Package} ${source:Version}\n' "$package" 2>/dev/null |
    awk '$1 == "ii" { print $2, $3 }')
  if [ -n "$installed" ]; then echo "$installed"; return; fi
  apt-cache show --no-all-versions "$package" 2>/dev/null | awk -v p="$package" '
    /^Version:/ { version = $2 }
    /^Source:/ { source = $2; if ($3 ~ /^\(/) { sv = $3; gsub(/[()]/, "", sv) } }
    END {
      if (version == "") exit 1
      if (source == "") source = p
      print source, (sv != "" ? sv : version)
    }'
}

# private_apt_tool DIR PROGRAM ARGUMENTS...: apt-get or apt-cache with the
# source list, lists and downloads under DIR/apt.
private_apt_tool() {
  local apt=$1/apt program=$2 sandbox=()
  shift 2
  # As root apt would hand the download to its _apt user, who cannot write
  # into a build folder of the user's.
  [ "$(id -u)" -ne 0 ] || sandbox=(-o APT::Sandbox::User=root)
  "$program" -q "${sandbox[@]}" -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null \
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o Debug::NoLocking=true "$@"
}

private_apt() { private_apt_tool "$1" apt-get "${@:2}"; }

# archive_versions DIR SOURCE VERSION: the versions of SOURCE to try, best
# first: VERSION when the archive lists it, then the other revisions of the
# same upstream version, newest first. Debian drops a stable package's older
# security revisions from the archive while the machine may still have one
# installed, and a mirror may list a revision it does not serve yet; another
# revision of the same upstream version is the same library with other fixes.
archive_versions() {
  local dir=$1 source=$2 version=$3 candidate others=() i j t
  while read -r candidate; do
    if [ "$candidate" = "$version" ]; then echo "$version"
    elif [ "${candidate%-*}" = "${version%-*}" ]; then others+=("$candidate")
    fi
  done < <(private_apt_tool "$dir" apt-cache showsrc --only-source "$source" 2>/dev/null |
    awk '/^Version:/ && !seen[$2]++ { print $2 }')
  # Few enough to sort by hand with dpkg's own ordering of versions.
  for ((i = 0; i < ${#others[@]}; i++)); do
    for ((j = i + 1; j < ${#others[@]}; j++)); do
      if dpkg --compare-versions "${others[j]}" gt "${others[i]}"; then
        t=${others[i]} others[i]=${others[j]} others[j]=$t
      fi
    done
  done
  [ ${#others[@]} -eq 0 ] || printf '%s\n' "${others[@]}"
}

# fetch_sources DIR SOURCE=VERSION...: the machine's Debian 12 archive as
# deb-src entries, then these source packages (see archive_versions),
# unpacked in DIR/src in place of whatever was there. The stamp keeps the
# versions asked for, so have_sources answers for those.
fetch_sources() {
  local dir=$1 apt=$1/apt uri suite components dsc wanted source version got errors
  shift
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$dir/src"
  while read -r uri suite components; do
    echo "deb-src $uri $suite $components"
  done < <(archive_sources) >"$apt/sources.list"
  [ -s "$apt/sources.list" ] || die "no Debian 12 archive among this machine's apt sources"
  private_apt "$dir" update -qq
  rm -rf "${dir:?}/src"/*
  for wanted in "$@"; do
    source=${wanted%%=*} got="" errors=""
    while read -r version; do
      if errors=$(cd "$dir/src" && private_apt "$dir" source -qq --download-only "$source=$version" 2>&1 >/dev/null); then
        got=$version; break
      fi
    done < <(archive_versions "$dir" "$source" "${wanted#*=}")
    [ -n "$got" ] || { [ -z "$errors" ] || echo "$errors" >&2; die "cannot fetch the source of $wanted"; }
    [ "$got" = "${wanted#*=}" ] || say "$wanted cannot be fetched from the archive; taking $got"
  done
  for dsc in "$dir"/src/*.dsc; do
    (cd "$dir/src" && dpkg-source --no-check -x "$(basename "$dsc")" >/dev/null)
  done
  echo "$*" >"$dir/src/fetched.stamp"
}

# have_sources DIR SOURCE=VERSION...: the sources are fetched again only for
# other versions.
have_sources() {
  local dir=$1
  shift
  [ -f "$dir/src/fetched.stamp" ] && [ "$(cat "$dir/src/fetched.stamp")" = "$*" ]
}

# source_tree DIR SOURCE VERSION: the tree dpkg-source unpacked, named after
# the upstream version ("zlib" "1:1.2.13.dfsg-1" -> DIR/src/zlib-1.2.13.dfsg).
source_tree() {
  local upstream=${3#*:}
  upstream=${upstream%-*}
  [ -d "$1/src/$2-$upstream" ] || die "no unpacked source of $2 $3 in $1/src"
  echo "$1/src/$2-$upstream"
}
