# Sourced by scripts/test-fresh and scripts/test-package-fresh: a minimal
# Debian 12 root, made with debootstrap from the archive this machine's apt
# uses and cached as a tarball, and scratch copies of it that are always
# unmounted and removed again, however the script ends.
#
# The caller sets fresh_dir (where the cache and the scratch roots live) and
# calls guard_scratch_roots before making any root.

readonly FRESH_SUITE=bookworm
# What a new user installs before cloning: nothing more.
readonly FRESH_PACKAGES=(make git ca-certificates)
# Bump when the way the base root is made changes, so old caches are rebuilt.
readonly FRESH_RECIPE=1
readonly FRESH_PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
# Where this machine's apt sources are read (tests read their own).
apt_etc=${FRESH_APT_ETC:-/etc/apt}

scratch_roots=()
scratch_dir=""
base_tarball_file=""
background_pid=""

say() { echo "$(basename "$0"): $*"; }
die() { echo "$(basename "$0"): $*" >&2; exit 1; }

# Everything here mounts, chroots and writes root-owned trees.
require_root() {
  [ "$(id -u)" -eq 0 ] || die "needs root (debootstrap, chroot and bind mounts); run it as root or with sudo"
}

# --- the archive this machine's apt uses -----------------------------------

# One "URI SUITE COMPONENT..." line per enabled deb entry of the deb822
# .sources files (continuation lines and comments handled).
deb822_entries() {
  local f
  for f in "$apt_etc"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
      {
        split("", field); key = ""
        for (i = 1; i <= NF; i++) {
          line = $i
          if (line ~ /^#/) continue
          if (line ~ /^[ \t]/ && key != "") { field[key] = field[key] " " line; continue }
          n = index(line, ":"); if (n == 0) continue
          key = tolower(substr(line, 1, n - 1)); field[key] = substr(line, n + 1)
        }
        if (tolower(field["enabled"]) ~ /no/) next
        if (field["types"] !~ /(^|[ \t])deb([ \t]|$)/) next
        nu = split(field["uris"], uris, /[ \t]+/)
        ns = split(field["suites"], suites, /[ \t]+/)
        nc = split(field["components"], comps, /[ \t]+/)
        components = ""
        for (c = 1; c <= nc; c++) if (comps[c] != "") components = components " " comps[c]
        for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++)
          if (uris[u] != "" && suites[s] != "") print uris[u], suites[s] components
      }' "$f"
  done
}

# The same from one-line sources.list files ("deb [options] URI SUITE COMP...").
one_line_entries() {
  local f
  for f in "$apt_etc"/sources.list "$apt_etc"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -e 's/#.*//' "$f" | awk '$1 == "deb" {
      i = 2
      if ($i ~ /^\[/) { while (i < NF && $i !~ /\]$/) i++; i++ }
      line = $i " " $(i + 1)
      for (j = i + 2; j <= NF; j++) line = line " " $j
      print line
    }'
  done
}

# The Debian 12 entries (bookworm and its -updates and -security suites) of
# this machine's apt sources, read now: no archive is written into the
# project, the fresh root uses whatever this machine's apt reaches.
archive_sources() {
  { deb822_entries; one_line_entries; } | awk -v suite="$FRESH_SUITE" \
    '($2 == suite || index($2, suite "-") == 1) && !seen[$0]++'
}

# What this machine's apt needs to reach that archive beyond the sources:
# proxies, and leave to read Release files past their Valid-Until date (a
# snapshot of the archive keeps its old Release files).
archive_apt_options() {
  apt-config dump | grep -E '^Acquire::(Check-Valid-Until|Check-Date|(http|https|ftp)::Proxy)' || true
}

# --- the cached base root --------------------------------------------------

# The tarball for the current archive, apt options and package list: any
# change there gives a new name, so a stale base is never reused.
base_tarball_path() {
  local key
  key=$( { echo "$FRESH_SUITE minbase ${FRESH_PACKAGES[*]} recipe $FRESH_RECIPE"
           archive_sources; archive_apt_options; } | sha256sum | cut -c1-16)
  echo "$fresh_dir/base-$FRESH_SUITE-$key.tar"
}

# Writes the archive entries and apt options into the new root, so that apt
# inside it reaches the same archive as this machine's.
configure_root_apt() {
  local root=$1 uri suite components
  while read -r uri suite components; do
    echo "deb $uri $suite $components"
  done < <(archive_sources) >"$root/etc/apt/sources.list"
  archive_apt_options >"$root/etc/apt/apt.conf.d/50archive-access"
}

# The proxies of this machine's apt, for debootstrap's downloads.
export_apt_proxies() {
  local http_proxy="" https_proxy=""
  eval "$(apt-config shell http_proxy Acquire::http::Proxy https_proxy Acquire::https::Proxy)"
  [ -z "$http_proxy" ] || [ "$http_proxy" = DIRECT ] || export http_proxy
  [ -z "$https_proxy" ] || [ "$https_proxy" = DIRECT ] || export https_proxy
}

# Sets base_tarball_file to the cached base root, making it first when it is
# missing: debootstrap --variant=minbase plus only the packages a new user
# installs. (Results go through variables, not $(...), so that everything
# made here is known to the clean-up of this shell.)
ensure_base_tarball() {
  local tarball mirror include work started=$SECONDS
  tarball=$(base_tarball_path)
  base_tarball_file=$tarball
  if [ -f "$tarball" ]; then
    say "base root cached: $tarball"
    return
  fi
  mirror=$(archive_sources | awk -v suite="$FRESH_SUITE" '$2 == suite { print $1; exit }')
  [ -n "$mirror" ] || die "no $FRESH_SUITE entry in this machine's apt sources to debootstrap from"
  "$repo_root/scripts/install-deps" debootstrap
  new_scratch_dir base
  work=$scratch_dir
  say "debootstrap --variant=minbase $FRESH_SUITE from $mirror, adding ${FRESH_PACKAGES[*]} (log: $fresh_dir/debootstrap.log)"
  export_apt_proxies
  include=$(IFS=,; echo "${FRESH_PACKAGES[*]}")
  if ! run_in_background --log "$fresh_dir/debootstrap.log" setsid debootstrap --variant=minbase \
      --include="$include" "$FRESH_SUITE" "$work/root" "$mirror"; then
    tail -n 30 "$fresh_dir/debootstrap.log" >&2
    die "debootstrap failed"
  fi
  configure_root_apt "$work/root"
  chroot "$work/root" apt-get clean
  rm -f "$fresh_dir"/base-*.tar
  tar -C "$work/root" --numeric-owner -cpf "$tarball.part" .
  mv "$tarball.part" "$tarball"
  remove_scratch_dir "$work"
  say "base root made in $((SECONDS - started)) s: $tarball"
}

# --- scratch roots ----------------------------------------------------------

# Runs a command in the background and waits for it, so that a signal to this
# script is acted on at once rather than when the command ends. Commands
# started with setsid get a process group of their own, which cleanup ends.
# With --log FILE first, the command's output goes to FILE.
run_in_background() {
  local log=/dev/stdout
  if [ "$1" = --log ]; then log=$2; shift 2; fi
  if [ "$log" = /dev/stdout ]; then "$@" & else "$@" >"$log" 2>&1 & fi
  background_pid=$!
  local status=0
  wait "$background_pid" || status=$?
  background_pid=""
  return "$status"
}

# Sets scratch_dir to a new directory under fresh_dir, with an empty root/ in
# it, and records it for the clean-up.
new_scratch_dir() {
  mkdir -p "$fresh_dir"
  scratch_dir=$(mktemp -d "$fresh_dir/$1.XXXXXX")
  scratch_dir=$(cd "$scratch_dir" && pwd -P)
  scratch_roots+=("$scratch_dir")
  mkdir "$scratch_dir/root"
}

# Sets scratch_dir to a scratch copy of the base root, with the host's name
# resolution and the kernel file systems bound in, ready for chroot.
new_scratch_root() {
  new_scratch_dir "$1"
  tar -C "$scratch_dir/root" --numeric-owner -xpf "$base_tarball_file"
  cp -L /etc/resolv.conf "$scratch_dir/root/etc/resolv.conf"
  bind_kernel_filesystems "$scratch_dir/root"
}

bind_kernel_filesystems() {
  local root=$1 m
  for m in proc sys dev dev/pts; do
    mkdir -p "$root/$m"
    mount --bind "/$m" "$root/$m"
  done
}

# Runs a shell command in the root as a new user's login would, with a clean
# environment; it runs in the background (see run_in_background).
run_in_root() {
  local root=$1 command=$2
  run_in_background setsid chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
    TERM="${TERM:-dumb}" PATH="$FRESH_PATH" /bin/bash -c "$command"
}

# Mount points at or below a directory, deepest first.
mounts_under() {
  findmnt -rn -o TARGET | awk -v d="$1" '$0 == d || index($0, d "/") == 1' | sort -r
}

# Processes whose root or working directory lies inside a directory.
processes_in() {
  local dir=$1 p link
  for p in /proc/[0-9]*; do
    for link in root cwd; do
      link=$(readlink "$p/$link" 2>/dev/null) || continue
      case "$link" in "$dir" | "$dir"/*) echo "${p#/proc/}"; break ;; esac
    done
  done
}

stop_processes_in() {
  local dir=$1 signal pids
  for signal in TERM TERM KILL KILL KILL; do
    pids=$(processes_in "$dir")
    [ -n "$pids" ] || return 0
    # shellcheck disable=SC2086
    kill -s "$signal" $pids 2>/dev/null || true
    sleep 1
  done
  [ -z "$(processes_in "$dir")" ] || echo "$(basename "$0"): processes still run in $dir" >&2
}

# Unmounts everything below a scratch directory, deepest first (dev/pts before
# dev), lazily when a mount is still busy; then removes the directory, but
# never while anything below it is still mounted.
remove_scratch_dir() {
  local dir=$1 m
  [ -d "$dir" ] || return 0
  stop_processes_in "$dir"
  while read -r m; do
    [ -n "$m" ] || continue
    umount "$m" 2>/dev/null || umount -l "$m" || true
  done < <(mounts_under "$dir")
  if [ -n "$(mounts_under "$dir")" ]; then
    echo "$(basename "$0"): still mounted, so not removed: $(mounts_under "$dir" | tr '\n' ' ')" >&2
    return 1
  fi
  rm -rf --one-file-system "$dir"
}

# Ends what runs in the background and removes every scratch root; runs once,
# on every way out.
remove_scratch_roots() {
  local status=$? dir
  # Once begun, the clean-up is not cut short: a second Ctrl+C, or make
  # passing on the TERM it got, would leave the mounts behind.
  trap - EXIT
  trap '' INT TERM HUP
  if [ "$status" -gt 128 ] && [ ${#scratch_roots[@]} -gt 0 ]; then
    echo "$(basename "$0"): stopped; ending what runs in the scratch roots and removing them" >&2
  fi
  if [ -n "$background_pid" ]; then
    kill -s TERM -- "-$background_pid" 2>/dev/null || kill -s TERM "$background_pid" 2>/dev/null || true
  fi
  for dir in "${scratch_roots[@]}"; do
    remove_scratch_dir "$dir" || status=1
  done
  exit "$status"
}

# One clean-up for every way out: a signal exits with 128 + its number, and
# the exit runs the clean-up.
guard_scratch_roots() {
  trap remove_scratch_roots EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
}
