#!/usr/bin/env bash
# searx.sh start|stop BUILD_TREE NAME [ENGINE_ORIGIN LISTEN_ADDRESS PORT]:
# a real searx instance (Debian's package) whose one engine is the local
# web's classic engine, for the tests that run through a SearXNG-style
# JSON service.
#   start: writes BUILD_TREE/searx-NAME/settings.yml from
#          tools/searx-settings.yml.in, starts searx-run in the background
#          (searx.pid, searx.log beside it) and waits until it answers on
#          LISTEN_ADDRESS:PORT with exactly that one engine; fails with
#          searx's log when it does not within the time limit.
#   stop:  ends the instance NAME started.
# Every address must be loopback: the instance only ever talks to the
# local web.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The system's Python, which Debian's searx is installed for.
python=/usr/bin/python3
# Seconds searx has to answer; it takes about one.
start_limit=60

usage() {
  echo "usage: searx.sh start BUILD_TREE NAME ENGINE_ORIGIN LISTEN_ADDRESS PORT | stop BUILD_TREE NAME" >&2
  exit 2
}

is_loopback() { [[ "$1" =~ ^127\.[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}$ ]]; }

# The pid in the file when it is still the searx this script started.
running_pid() {
  local pidfile=$1 pid
  [ -s "$pidfile" ] || return 1
  pid=$(cat "$pidfile")
  [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' < "/proc/$pid/cmdline" | grep -q searx-run || return 1
  printf '%s' "$pid"
}

# The pid file's searx, ended: asked first, killed when it does not end
# within 5 s. An ended one may linger as a zombie until its new parent
# reaps it; its empty command line tells it from a live one.
stop_searx() {
  local pidfile="$1/searx-$2/searx.pid" pid
  pid=$(running_pid "$pidfile") || { rm -f "$pidfile"; return 0; }
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 50); do running_pid "$pidfile" >/dev/null || break; sleep 0.1; done
  running_pid "$pidfile" >/dev/null && kill -KILL "$pid" 2>/dev/null || true
  rm -f "$pidfile"
}

fail_start() {
  echo "searx.sh: $1" >&2
  echo "--- searx log ($2) ---" >&2
  cat "$2" >&2 2>/dev/null || true
  exit 1
}

start_searx() {
  local build=$1 name=$2 origin=$3 address=$4 port=$5
  local state="$build/searx-$name" host
  host=${origin#http://}
  [ "$host" != "$origin" ] && is_loopback "$host" || { echo "searx.sh: $origin is no http:// loopback origin" >&2; exit 2; }
  is_loopback "$address" || { echo "searx.sh: $address is no loopback address" >&2; exit 2; }
  [[ "$port" =~ ^[0-9]+$ ]] || usage
  command -v searx-run >/dev/null || { echo "searx.sh: searx-run is missing (Debian package searx)" >&2; exit 1; }
  stop_searx "$build" "$name"
  mkdir -p "$state"
  sed -e "s#@ENGINE_ORIGIN@#$origin#g" -e "s#@LISTEN_ADDRESS@#$address#g" -e "s#@PORT@#$port#g" \
    "$here/tools/searx-settings.yml.in" > "$state/settings.yml"
  # Nothing of the caller's environment may send searx elsewhere: no
  # proxy, no other Python, no debug reloader.
  env -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY -u all_proxy -u ALL_PROXY -u no_proxy \
    -u NO_PROXY -u PYTHONPATH -u PYTHONHOME \
    SEARX_SETTINGS_PATH="$state/settings.yml" SEARX_DEBUG=0 \
    SEARX_SECRET="$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" \
    "$python" "$(command -v searx-run)" > "$state/searx.log" 2>&1 < /dev/null &
  echo $! > "$state/searx.pid"
  # Up means: /config answers (asked directly, never through a proxy) and
  # lists the local web's engine alone, with no plugin on.
  if ! "$python" - "http://$address:$port/config" "$(cat "$state/searx.pid")" "$start_limit" \
      2> "$state/probe.log" <<'PY'; then
import json, sys, time, urllib.request
url, pid, limit = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
deadline = time.monotonic() + limit
opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
def ended():
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] == "Z"
    except OSError:
        return True
while True:
    if ended():
        sys.exit("searx ended before it answered")
    try:
        with opener.open(url, timeout=2) as answer:
            config = json.load(answer)
        break
    except (OSError, ValueError) as error:
        if time.monotonic() > deadline:
            sys.exit("no answer from %s within %g s: %s" % (url, limit, error))
        time.sleep(0.2)
engines = [engine["name"] for engine in config.get("engines", [])]
plugins = [plugin["name"] for plugin in config.get("plugins", []) if plugin.get("enabled")]
if engines != ["localweb"] or plugins:
    sys.exit("unexpected engines %s or plugins %s" % (engines, plugins))
PY
    local why; why=$(cat "$state/probe.log")
    stop_searx "$build" "$name"
    fail_start "searx did not come up on $address:$port: $why" "$state/searx.log"
  fi
  echo "searx.sh: searx $name answers on http://$address:$port, engine $origin"
}

action=${1:-}; shift || true
case "$action" in
  start) [ $# -eq 5 ] || usage; start_searx "$@" ;;
  stop) [ $# -ge 2 ] || usage; stop_searx "$1" "$2" ;;
  *) usage ;;
esac
