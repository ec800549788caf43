#!/bin/sh
# Runs a program in a new time namespace whose monotonic clock reads the given
# number of seconds more than the machine's, as on a machine up that long.
# Without root it asks for a user namespace as well. Exits 77, which ctest
# counts as skipped, only where no time namespace can be made here.
#   run_in_time_namespace.sh SECONDS PROGRAM [ARGUMENTS...]
offset=$1
shift
for user in "" "--map-root-user"; do
    if unshare $user --time --monotonic "$offset" --fork true 2>/dev/null; then
        exec unshare $user --time --monotonic "$offset" --fork "$@"
    fi
done
echo "SKIPPED: no time namespace can be made on this machine (needs util-linux unshare," \
     "Linux 5.6 or later with time namespaces, and root or unprivileged user namespaces):" >&2
unshare --time --monotonic "$offset" --fork true
exit 77
