#!/usr/bin/env bash
# Every file or folder that docs/architecture.md names in backticks exists,
# so the map does not drift from the tree. Usage: architecture_paths.sh ROOT
set -euo pipefail
root=${1:?usage: architecture_paths.sh ROOT}
doc=$root/docs/architecture.md
status=0
count=0
while IFS= read -r path; do
  count=$((count + 1))
  [ -e "$root/$path" ] && continue
  echo "docs/architecture.md names $path, which does not exist"
  status=1
done < <(grep -o '`\(src\|tools\|tests\|fuzz\|docs\)/[^`<> ]*`' "$doc" | tr -d '`' | sort -u)
[ "$count" -gt 0 ] || { echo "no paths found in $doc"; exit 1; }
echo "$count paths checked"
exit $status
