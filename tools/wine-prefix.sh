#!/usr/bin/env bash
# wine-prefix.sh up|down PREFIX BINDIR WINELOADER
# up: create the private prefix (never ~/.wine), register the COM servers
#     found in BINDIR (none when BINDIR is empty), trust the build tree's
#     certificate authority (BINDIR's parent) when BINDIR holds trust_ca.exe,
#     and keep one wineserver running for the whole test run.
# down: stop that wineserver.
set -euo pipefail
action=$1 prefix=$2 bindir=$3 loader=$4
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" WINELOADER="$loader"
server="$(dirname "$loader")/wineserver"
case "$action" in
  up)
    mkdir -p "$prefix"
    if [ ! -f "$prefix/system.reg" ]; then
      "$loader" wineboot -i >/dev/null 2>&1
      "$server" -w
    fi
    "$server" -p >/dev/null 2>&1 </dev/null &
    # Start Wine's background processes (services, the desktop) now, with
    # no terminal or pipe of ours: a test whose wine started them would
    # otherwise leave them holding its output open.
    "$loader" wineboot >/dev/null 2>&1 </dev/null
    "$loader" explorer /desktop >/dev/null 2>&1 </dev/null &
    for dll in Kestrine.dll Ostrel.dll Postil.dll; do
      if [ -n "$bindir" ] && [ -f "$bindir/$dll" ]; then
        "$loader" regsvr32 /s "$bindir/$dll" >/dev/null 2>&1 </dev/null
      fi
    done
    # The local web's https pages: the build tree's authority is trusted here.
    if [ -n "$bindir" ] && [ -f "$bindir/trust_ca.exe" ]; then
      "$(dirname "${BASH_SOURCE[0]}")/tls.sh" trust "$prefix" "$loader" "$(dirname "$bindir")"
    fi
    exit 0 ;;
  down)
    "$server" -k 2>/dev/null || true ;;
esac
