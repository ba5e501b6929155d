#!/usr/bin/env bash
# with-hosts.sh HOSTS_FILE COMMAND...: runs the command in a mount namespace
# of its own in which HOSTS_FILE is /etc/hosts, so that names of the local
# web (a site's "www.bluefish.com") resolve to its loopback addresses for
# that command alone, and never for the machine. The file starts with the
# machine's own lines; the command may append its own, since the name
# service reads the file at every lookup (write it in place: a file
# replaced by a rename is no longer the one mounted). A Windows program
# finds the file as PELLMARK_HOSTS_FILE, a Wine path.
set -euo pipefail
hosts=$1; shift
mkdir -p "$(dirname "$hosts")"
cat /etc/hosts > "$hosts"
hosts=$(cd "$(dirname "$hosts")" && pwd)/$(basename "$hosts")
PELLMARK_HOSTS_FILE="Z:${hosts//\//\\}"
export PELLMARK_HOSTS_FILE
exec unshare -m bash -c 'mount --bind "$0" /etc/hosts && exec "$@"' "$hosts" "$@"
