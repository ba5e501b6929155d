#!/usr/bin/env bash
# simweb.sh start|stop BUILD_DIR [simweb options]: runs the local web of a
# build tree in the background under Wine (with the tree's private prefix)
# and stops it again, for the demo and other shell harnesses.
#   start: waits until it serves (its banner line), prints its map to
#          BUILD_DIR/simweb.map and its request log to BUILD_DIR/simweb.log.
#   stop:  asks it to stop on the engine's address, waits for it to end.
# The options are simweb.exe's own (see simweb.exe --help); the engine's
# address for stop is taken from --engine, else the tree's search host.
# Today's sources (--searxng, --brave, --openpagerank ADDR) and the RDAP
# servers (--rdap-bootstrap, --rdap-registry, --rdap-registrar ADDR) answer
# https only: start the TLS front that "simweb.exe ... --print-tls" lists
# first.
set -euo pipefail
action=${1:-} build=${2:-}
[ -n "$action" ] && [ -n "$build" ] || { echo "usage: simweb.sh start|stop BUILD_DIR [options]" >&2; exit 2; }
shift 2
[ -x "$build/bin/simweb.exe" ] || { echo "simweb.sh: no $build/bin/simweb.exe" >&2; exit 1; }
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/tools/wine-env.sh"
loader="$(tree_loader "$build")"
wine_env "$build/wineprefix" "$loader"
pidfile="$build/simweb.pid" log="$build/simweb.log"

# The tree's search host without its scheme: simweb's default engine.
engine="$(sed -n 's/^PELLMARK_SEARCH_HOST:[A-Z]*=//p' "$build/CMakeCache.txt" | sed 's#^[A-Za-z]*://##')"
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  [ "${args[$i]}" = --engine ] && [ $((i + 1)) -lt ${#args[@]} ] && engine=${args[$((i + 1))]}
done

case "$action" in
  start)
    "$loader" "$build/bin/simweb.exe" --print-map "$@" > "$build/simweb.map"
    "$loader" "$build/bin/simweb.exe" "$@" > "$log" 2>&1 < /dev/null &
    echo $! > "$pidfile"
    for _ in $(seq 1 600); do
      grep -q "^simweb: .* sites" "$log" 2>/dev/null && { echo "simweb: serving, map in $build/simweb.map"; exit 0; }
      kill -0 "$(cat "$pidfile")" 2>/dev/null || { cat "$log" >&2; exit 1; }
      sleep 0.1
    done
    echo "simweb.sh: simweb did not start" >&2; exit 1 ;;
  stop)
    [ -f "$pidfile" ] || exit 0
    pid=$(cat "$pidfile")
    # A request on the engine's address ends it cleanly (bash's own TCP, no client needed).
    { exec 3<>"/dev/tcp/$engine/80" && printf 'GET /simweb/stop HTTP/1.0\r\n\r\n' >&3 && cat <&3 > /dev/null; } 2>/dev/null || true
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill "$pid" 2>/dev/null || true
    rm -f "$pidfile" ;;
  *) echo "usage: simweb.sh start|stop BUILD_DIR [options]" >&2; exit 2 ;;
esac
