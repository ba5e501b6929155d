#!/usr/bin/env bash
# wine-prefix.sh up|down PREFIX BINDIR WINELOADER [unmanaged]
# up: create the private prefix (never ~/.wine), register the COM servers
#     found in BINDIR (none when BINDIR is empty), trust the build tree's
#     certificate authority (BINDIR's parent) when BINDIR holds trust_ca.exe,
#     and keep one wineserver running for the whole test run.
#     unmanaged: the programs run on a private display without a window
#     manager (tests, benchmarks). Wine's X11 driver leaves top-level
#     windows to the window manager and, before hiding one (as closing it
#     does), waits up to 2 s for the manager to report it shown, which never
#     happens there: every message box or dialog closed would cost 2 s that
#     no desktop with a window manager, nor Windows, has. Wine then keeps
#     the windows itself. Without it the prefix is left to the window
#     manager again, as a user's display needs.
# down: stop that wineserver.
set -euo pipefail
action=$1 prefix=$2 bindir=$3 loader=$4 windows=${5:-managed}
# shellcheck source=tools/wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_env "$prefix" "$loader"
server="$(dirname "$loader")/wineserver"
case "$action" in
  up)
    mkdir -p "$prefix"
    if [ ! -f "$prefix/system.reg" ]; then
      "$loader" wineboot -i >/dev/null 2>&1
      "$server" -w
    fi
    "$server" -p >/dev/null 2>&1 </dev/null &
    x11_key='HKCU\Software\Wine\X11 Driver'
    if [ "$windows" = unmanaged ]; then
      "$loader" reg add "$x11_key" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null \
        || { echo "wine-prefix: the window setting cannot be made" >&2; exit 1; }
    else
      "$loader" reg delete "$x11_key" /v Managed /f >/dev/null 2>&1 </dev/null || true
    fi
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
