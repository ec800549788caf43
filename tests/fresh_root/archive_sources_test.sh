#!/usr/bin/env bash
# make test-fresh reads the Debian archive from this machine's apt sources:
# the Debian 12 entries (bookworm, bookworm-updates, bookworm-security) of
# deb822 .sources files and one-line .list files, one "URI SUITE COMPONENTS"
# line each, and nothing disabled, source-only, commented out or of another
# release.
set -u
source "$(dirname "$0")/../../scripts/fresh-root.sh"
FRESH_APT_ETC=$(mktemp -d)
apt_etc=$FRESH_APT_ETC
trap 'rm -rf "$apt_etc"' EXIT
mkdir "$apt_etc/sources.list.d"
fail() { echo "FAIL: $1"; exit 1; }

cat >"$apt_etc/sources.list.d/debian.sources" <<'SOURCES'
# The archive, with a comment line inside the stanza below.
Types: deb deb-src
# http://example.invalid/old
URIs: http://mirror.invalid/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://mirror.invalid/debian-security
Suites:
 bookworm-security
Components: main

Types: deb-src
URIs: http://sources-only.invalid/debian
Suites: bookworm
Components: main

Types: deb
URIs: http://disabled.invalid/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb
URIs: http://other-release.invalid/debian
Suites: trixie
Components: main
SOURCES
cat >"$apt_etc/sources.list" <<'LIST'
deb [arch=amd64 signed-by=/usr/share/keyrings/x.gpg] http://oneline.invalid/debian bookworm main non-free-firmware
deb [ arch=amd64 ] http://spaced.invalid/debian bookworm-updates main
# deb http://commented.invalid/debian bookworm main
deb-src http://oneline.invalid/debian bookworm main
deb http://oneline.invalid/debian bullseye main
LIST
cat >"$apt_etc/sources.list.d/extra.list" <<'LIST'
deb http://spaced.invalid/debian bookworm-updates main   # the same again: listed once
LIST

expected="http://mirror.invalid/debian bookworm main contrib
http://mirror.invalid/debian bookworm-updates main contrib
http://mirror.invalid/debian-security bookworm-security main
http://oneline.invalid/debian bookworm main non-free-firmware
http://spaced.invalid/debian bookworm-updates main"
got=$(archive_sources)
if [ "$got" != "$expected" ]; then
  echo "expected:"; echo "$expected"; echo "got:"; echo "$got"
  fail "archive entries"
fi

# Without any Debian 12 entry there is nothing to make a root from.
rm "$apt_etc/sources.list" "$apt_etc/sources.list.d/"*
echo "deb http://oneline.invalid/debian trixie main" >"$apt_etc/sources.list"
[ -z "$(archive_sources)" ] || fail "an entry of another release taken"
echo PASS
