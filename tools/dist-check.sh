#!/usr/bin/env bash
# dist-check.sh TREE WINELOADER ENGINE WHOIS SITE_BASE: what a Windows user
# of the dist folder goes through, on a machine that never saw Pellmark.
# Lays out the tree's dist folder, copies it into a brand-new Wine prefix,
# runs install.cmd there, checks what it registered, and then lets the
# demo's stand-in user play a keyword run with the installed Corvane.exe
# against the local web. Fails when any step does not go as a user expects.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tree="$(cd "$1" && pwd)" loader=$2 engine=$3 whois=$4 site_base=$5
prefix="$tree/dist-prefix" out="$tree/dist-check"
web=(--engine "$engine" --whois "$whois" --site-base "$site_base" --seed 7 --sites 12 --pages 8)

fail() { echo "dist-check: $*" >&2; exit 1; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

fresh_prefix() {
  "$here/tools/wine-prefix.sh" down "$prefix" "" "$loader"
  rm -rf "$prefix" "$out"
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" WINELOADER="$loader"
  "$here/tools/wine-prefix.sh" up "$prefix" "" "$loader"
  "$here/tools/tls.sh" trust "$prefix" "$loader" "$tree"
}

install_dist() {
  mkdir -p "$prefix/drive_c/Pellmark"
  cp -r "$tree/dist/Pellmark/." "$prefix/drive_c/Pellmark/"
  local said
  said=$("$loader" cmd /c 'C:\Pellmark\install.cmd' 2>&1 | tr -d '\r')
  echo "$said"
  grep -q "^Pellmark is installed" <<<"$said" || fail "install.cmd did not install"
  "$loader" reg query 'HKLM\SOFTWARE\Pellmark\Options' >/dev/null 2>&1 || fail "no settings key after install.cmd"
  local progid
  for progid in Kestrine.Trawler Ostrel.COstrel; do
    "$loader" reg query "HKCR\\$progid\\CLSID" >/dev/null 2>&1 || fail "$progid is not registered"
  done
}

stop_all() {
  "$here/tools/simweb.sh" stop "$tree" --engine "$engine" || true
  "$here/tools/wine-prefix.sh" down "$prefix" "" "$loader"
}

play_keyword_run() {
  local keywords log="$tree/dist-check.log" rows
  mapfile -t keywords < <("$here/tools/corpus-keywords.sh" "$tree" "$tree/dist-corpus" "${web[@]}")
  [ ${#keywords[@]} -eq 2 ] || fail "the corpus gave no keywords"
  "$here/tools/simweb.sh" start "$tree" "${web[@]}" --quiet
  mkdir -p "$out/log"
  "$loader" "$tree/bin/demo_driver.exe" 'C:\Pellmark\Corvane.exe' "$(windows_path "$out")" \
    "${keywords[0]}" "${keywords[1]}" 2>&1 | tr -d '\r' | tee "$log" || fail "the keyword run did not go as a user expects"
  rows=$(sed -n 's/^demo: rows //p' "$log")
  [ "${rows:-0}" -gt 0 ] || fail "the keyword run gave no rows"
  local file
  for file in pellmark-report.csv pellmark-report.html EmailAdd.txt; do
    [ -s "$out/$file" ] || fail "$file is missing or empty"
  done
  [ "$(ls "$out/log" | wc -l)" -gt 0 ] || fail "the program wrote no log"
  # Besides a line per row, the CSV carries a line per keyword.
  [ "$(tail -n +2 "$out/pellmark-report.csv" | grep -c .)" -ge "$rows" ] || fail "the CSV holds fewer lines than rows"
  echo "dist-check: installed in a fresh prefix, keyword run gave $rows rows"
}

cmake --build "$tree" --target dist
fresh_prefix
trap stop_all EXIT
install_dist
play_keyword_run
