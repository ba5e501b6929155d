#!/usr/bin/env bash
# demo.sh BUILD_TREE: the product as a user meets it. Sets up the tree's
# private Wine prefix with the components registered and the settings key
# an installer would create, starts the local web with a generated corpus,
# then:
#   with a display: opens Corvane.exe in demo-output/ and waits for it;
#   without one:    under Xvfb, demo_driver.exe plays a user through a
#                   keyword run and leaves the report files, the address
#                   file, the log and pictures in demo-output/.
# The corpus is a web of today: most pages https behind a TLS front
# (tools/tls.sh) with certificates of the tree's own authority, and a few
# behind broken certificates, which the run logs and passes over. The
# local web also serves today's sources from the same corpus, over https
# on addresses of their own: a SearXNG instance, the Brave Search API, the
# Open PageRank API and RDAP (a bootstrap file, a registry, registrars).
# Where the machine allows a mount namespace, the demo runs in one with a
# hosts file of its own (tools/with-hosts.sh) that gives the sites their
# names, and the stand-in user also trawls a few sites by name, their
# WhoIs addresses from RDAP.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tree=${1:-}
[ -n "$tree" ] && [ -x "$tree/bin/Corvane.exe" ] || { echo "usage: demo.sh BUILD_TREE (with bin/Corvane.exe)" >&2; exit 2; }
tree="$(cd "$tree" && pwd)"
bin="$tree/bin" prefix="$tree/wineprefix"
out="$here/demo-output"
web=(--seed 7 --sites 12 --pages 8 --today)
brave_token=demo-brave-token opr_key=demo-openpagerank-key
sources=(--searxng 127.0.0.251 --brave 127.0.0.252 --openpagerank 127.0.0.253
         --brave-token "$brave_token" --openpagerank-key "$opr_key"
         --rdap-bootstrap 127.0.0.241 --rdap-registry 127.0.0.242 --rdap-registrar 127.0.0.243
         --rdap-registrar 127.0.0.244)
. "$here/tools/wine-env.sh"
loader="$(tree_loader "$tree")"
wine_env "$prefix" "$loader"
. "$here/tools/xvfb.sh"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

prepare_output() {
  rm -rf "$out"
  # Corvane writes its log only when a "log" folder is beside it at start.
  mkdir -p "$out/log"
  [ -f "$tree/User manual.pdf" ] && cp "$tree/User manual.pdf" "$out/"
  return 0
}

# The options key an installer creates, and no sources chosen yet but for
# where today's rank service answers: the local web, in the demo.
create_settings_key() {
  "$loader" reg add 'HKLM\SOFTWARE\Pellmark\Options' /f >/dev/null 2>&1
  "$loader" reg delete 'HKLM\SOFTWARE\Pellmark\Sources' /f >/dev/null 2>&1 || true
}

point_rank_service_at_local_web() {
  "$loader" reg add 'HKLM\SOFTWARE\Pellmark\Sources' /v OpenPageRankEndpoint /t REG_SZ \
    /d 'https://127.0.0.253/api/v1.0/getPageRank' /f >/dev/null 2>&1
  "$loader" reg add 'HKLM\SOFTWARE\Pellmark\Sources' /v RdapBootstrap /t REG_SZ \
    /d 'https://127.0.0.241/dns.json' /f >/dev/null 2>&1
}

# Each site's name and its "www." name for the demo's own hosts file
# ("site N ADDRESS NAME HOME ..." lines of the map).
name_sites() {
  [ -n "${PELLMARK_HOSTS_FILE:-}" ] || return 0
  awk '$1 == "site" { print $3, $4, "www." $4 }' "$tree/simweb.map" >> "$demo_hosts"
}

# The home pages of the first eight sites, by name: between them every
# way a registrar shows its customers' contacts.
named_addresses() {
  [ -n "${PELLMARK_HOSTS_FILE:-}" ] || return 0
  awk '$1 == "site" { sub("://[^/]*", "://www." $4, $5); print $5 }' "$tree/simweb.map" | head -8 | paste -sd ';'
}

# A site's front also carries its names in its certificate, when the demo
# gives its sites names: "ADDRESS:KIND:PORT:NAME,www.NAME".
name_fronts() {
  if [ -z "${PELLMARK_HOSTS_FILE:-}" ]; then cat; return; fi
  awk 'NR == FNR { if ($1 == "site") name[$3] = $4; next }
       { split($0, f, ":"); print (f[1] in name) ? $0 ":" name[f[1]] ",www." name[f[1]] : $0 }' \
    <("$loader" "$bin/simweb.exe" "${web[@]}" "${sources[@]}" --print-map | tr -d '\r') -
}

start_web() {
  local fronts
  mapfile -t fronts < <("$loader" "$bin/simweb.exe" "${web[@]}" "${sources[@]}" --print-tls | tr -d '\r' | name_fronts)
  "$here/tools/tls.sh" start "$tree" demo "${fronts[@]}"
  "$here/tools/simweb.sh" start "$tree" "${web[@]}" "${sources[@]}" --quiet
}

stop_all() {
  "$here/tools/simweb.sh" stop "$tree" || true
  "$here/tools/tls.sh" stop "$tree" demo || true
  "$here/tools/wine-prefix.sh" down "$prefix" "$bin" "$loader"
  stop_xvfb
}

# The two topic words that most generated pages carry: both have results.
pick_keywords() {
  "$here/tools/corpus-keywords.sh" "$tree" "$tree/demo-corpus" "${web[@]}"
}

run_for_user() {
  local keywords
  mapfile -t keywords < <(pick_keywords)
  echo "pellmark: the local web serves; the program opens in demo-output/ (close it to end the demo)."
  echo "pellmark: README.md, \"Trying it\", has three runs to try; keywords with results: ${keywords[*]};"
  echo "pellmark: the sites' addresses are in $tree/simweb.map."
  echo "pellmark: today's sources: SearXNG https://127.0.0.251, Brave Search API https://127.0.0.252"
  echo "pellmark: (token $brave_token), Open PageRank https://127.0.0.253 (key $opr_key)."
  (cd "$out" && "$loader" "$bin/Corvane.exe")
}

# demo_driver writes BMP pictures; the manual and the user get PNG.
pictures_to_png() {  # folder
  local bmp
  for bmp in "$1"/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
}

summarise() {
  local started=$1 driver_log=$2 rows
  rows=$(sed -n 's/^demo: rows //p' "$driver_log" | tr -d '\r')
  echo
  echo "pellmark demo: ${rows:-no} rows through today's sources in $(( $(date +%s) - started )) s; files in $out:"
  (cd "$out" && ls -1 --ignore=log && ls -1 log | sed 's|^|log/|')
}

# One keyword run by the stand-in user in a folder of its own; the extra
# arguments choose today's sources first.
drive_run() {  # folder log keyword keyword [searxng key]
  local folder=$1 driver_log=$2
  shift 2
  mkdir -p "$folder/log"
  "$loader" "$bin/demo_driver.exe" "$(windows_path "$bin/Corvane.exe")" "$(windows_path "$folder")" "$@" 2>&1 |
    tr -d '\r' | grep -v '^wine: Read access denied' | tee "$driver_log"
}

# A classic run (the engine's result pages and rank service) in classic/,
# then the same keywords through today's sources (SearXNG results, Open
# PageRank ranks) in the output folder itself.
play_user() {
  local started keywords status=0
  started=$(date +%s)
  mapfile -t keywords < <(pick_keywords)
  echo "pellmark: playing a user: keywords \"${keywords[0]}\" and \"${keywords[1]}\""
  echo "pellmark: first with the classic sources (the engine at 127.0.0.1), into $out/classic"
  drive_run "$out/classic" "$tree/demo-driver-classic.log" "${keywords[@]}" || status=$?
  echo "pellmark: then with today's sources: SearXNG at https://127.0.0.251, Open PageRank at https://127.0.0.253,"
  echo "pellmark: WhoIs from RDAP (bootstrap file at https://127.0.0.241/dns.json)"
  point_rank_service_at_local_web
  local named
  named=$(named_addresses)
  [ -n "$named" ] && echo "pellmark: and a URL run of sites by name: ${named//;/ }"
  drive_run "$out" "$tree/demo-driver.log" "${keywords[@]}" "https://127.0.0.251" "$opr_key" ${named:+"$named"} ||
    status=$?
  pictures_to_png "$out/classic"
  pictures_to_png "$out"
  summarise "$started" "$tree/demo-driver.log"
  return "$status"
}

# A local display is reachable when its socket is there; a remote one is trusted.
display_works() {
  [ -n "${DISPLAY:-}" ] || return 1
  local host=${DISPLAY%%:*} number=${DISPLAY#*:}
  [ -n "$host" ] || [ -S "/tmp/.X11-unix/X${number%%.*}" ]
}

demo_hosts="$tree/demo-hosts"

main() {
  prepare_output
  local headless=1
  display_works && headless=0
  [ "$headless" = 1 ] && start_xvfb
  trap stop_all EXIT
  "$here/tools/wine-prefix.sh" up "$prefix" "$bin" "$loader"
  create_settings_key
  start_web
  name_sites
  if [ "$headless" = 1 ]; then play_user; else run_for_user; fi
}

# Names for the local web's sites, for the demo alone, where the machine
# lets it have a mount namespace; without one the sites keep their numbers.
if [ -z "${PELLMARK_HOSTS_FILE:-}" ] && unshare -m true 2>/dev/null; then
  exec "$here/tools/with-hosts.sh" "$demo_hosts" "$0" "$@"
fi
main
