#!/usr/bin/env bash
# dist-check.sh TREE WINELOADER ENGINE WHOIS SITE_BASE REGVIEW [STAGE]: what a
# Windows user of Pellmark-setup.exe goes through, on a machine that never
# saw Pellmark. Builds the tree's setup and, in a brand-new Wine prefix:
#   1. lets a standard user's token start it silently: it ends with 740 and
#      changes nothing; then installs it silently into a chosen folder and
#      checks the files, the component registrations (each ProgID creates an
#      object), the settings key with the program's defaults and an access
#      list that lets every user change it (a standard user's token loads
#      and saves the options with the program's own code), the Start menu
#      entries and the "Uninstall" entry;
#   2. lets the demo's stand-in user play a keyword run with the installed
#      Corvane.exe, started where its Start menu entry starts it, against the
#      local web (the user turns options on): each row of the saved CSV is
#      among the local web's results for its keyword, and the address file
#      holds the rows' e-mail addresses;
#   3. installs again over it: the binaries are replaced, the folder and the
#      user's options stay; again through its pages, where the finish page
#      starts the program with the token of the desktop's user (a standard
#      user here), not the setup's; a setup started while the program runs
#      refuses;
#   4. refuses an uninstall to a standard user's token, then uninstalls
#      silently: nothing of ours stays but the settings and the reports the
#      user saved;
#   5. installs into the default folder and uninstalls with /REMOVESETTINGS:
#      then the settings go too; last, a setup that cannot make its Start
#      menu entries (a file is where their folder goes) ends with 1.
# REGVIEW (32 or 64) is the registry view the setup and the program use.
# STAGE (default all) runs a part on the prefix the one before left: install
# (step 1), run (step 2, the only one that needs the engine's address) or
# finish (steps 3 to 5), so that a test run holds that address no longer
# than the keyword run needs it.
# Fails when any step does not go as a user or an administrator expects.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=tools/wine-env.sh
. "$here/tools/wine-env.sh"
tree="$(cd "$1" && pwd)" loader=$2 engine=$3 whois=$4 site_base=$5 view=$6 stage=${7:-all}
prefix="$tree/dist-prefix" out="$tree/dist-check"
web=(--engine "$engine" --whois "$whois" --site-base "$site_base" --seed 7 --sites 12 --pages 8)
setup="$tree/Pellmark-setup.exe" dist="$tree/dist/Pellmark"
chosen='C:\Tools\Pellmark' menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Pellmark'
settings_key='HKLM\SOFTWARE\Pellmark' options='HKLM\SOFTWARE\Pellmark\Options'
sources='HKLM\SOFTWARE\Pellmark\Sources'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellmark'
ours=(Corvane.exe Kestrine.dll Ostrel.dll Postil.dll vossic.dll brannick.dll "User manual.pdf" README.md Uninstall.exe)
progids=(Kestrine.Trawler Ostrel.COstrel Postil.Postil)

fail() { echo "dist-check: $*" >&2; exit 1; }
say() { echo "dist-check: $*"; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
unix_path() { local p=${1#[Cc]:}; p=${p//\\//}; printf '%s/drive_c%s' "$prefix" "$p"; }
wine_quiet() { { "$loader" "$@" </dev/null 2>/dev/null || true; } | tr -d '\r'; }
reg_query() { wine_quiet reg query "$@" "/reg:$view"; }
reg_value() { reg_query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
reg_default() { reg_query "$1" /ve | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'; }
has_key() { "$loader" reg query "$1" "/reg:$view" >/dev/null 2>&1 </dev/null; }

# Waits up to a minute for a condition (a command) to hold.
wait_for() {
  local _
  for _ in $(seq 1 120); do "$@" && return 0; sleep 0.5; done
  return 1
}
gone() { [ ! -e "$1" ]; }

# No Linux menu entries for the Start menu shortcuts the setup makes.
use_prefix() { wine_env "$prefix" "$loader" "winemenubuilder.exe=d"; }

fresh_prefix() {
  "$here/tools/wine-prefix.sh" down "$prefix" "" "$loader"
  rm -rf "$prefix" "$out"
  use_prefix
  "$here/tools/wine-prefix.sh" up "$prefix" "" "$loader" unmanaged
  mkdir -p "$out"
  # A ProgID creates an object when this script ends with 3 (a failed
  # creation is a script error, which ends it with 0).
  printf 'Set o = CreateObject(WScript.Arguments(0))\r\nWScript.Quit 3\r\n' >"$out/create-object.vbs"
  "$here/tools/tls.sh" trust "$prefix" "$loader" "$tree"
}

run_setup() {
  local status=0
  "$loader" "$setup" /S "$@" </dev/null >/dev/null 2>&1 || status=$?
  return "$status"
}

# Runs a Windows command line with a standard user's token and returns its
# exit code as Linux keeps it (the low 8 bits). Two minutes at most: a
# dialog that nobody answers would hold it.
as_user() {
  local status=0
  timeout 120 "$loader" "$tree/bin/as_standard_user.exe" "$@" </dev/null >/dev/null 2>&1 || status=$?
  [ "$status" -ne 124 ] || fail "$1 did not end within two minutes as a standard user"
  return "$status"
}
# What a setup or an uninstall without administrator rights ends with:
# ERROR_ELEVATION_REQUIRED, 740.
no_rights_status=$((740 & 255))

creates_object() {
  local status=0
  "$loader" cscript //nologo "$(windows_path "$out/create-object.vbs")" "$1" </dev/null >/dev/null 2>&1 || status=$?
  [ "$status" -eq 3 ]
}

# The target (ANSI local path of the link information) and the working
# folder of a shell link, one per line.
shortcut() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
flags = struct.unpack_from('<I', data, 0x14)[0]
pos, target = 0x4C, ''
if flags & 0x01:
    pos += 2 + struct.unpack_from('<H', data, pos)[0]
if flags & 0x02:
    base = pos + struct.unpack_from('<I', data, pos + 0x10)[0]
    target = data[base:data.index(b'\0', base)].decode('latin-1')
    pos += struct.unpack_from('<I', data, pos)[0]
folder, width = '', 2 if flags & 0x80 else 1
for bit in (0x04, 0x08, 0x10):
    if flags & bit:
        count = struct.unpack_from('<H', data, pos)[0]
        text = data[pos + 2:pos + 2 + count * width].decode('utf-16-le' if width == 2 else 'latin-1')
        pos += 2 + count * width
        if bit == 0x10:
            folder = text.rstrip('\0')
print(target)
print(folder)
EOF
}

check_files() {  # folder
  local file
  for file in "${ours[@]}"; do
    [ -f "$(unix_path "$1")/$file" ] || fail "$file is not in $1"
  done
  cmp -s "$dist/Corvane.exe" "$(unix_path "$1")/Corvane.exe" || fail "$1\\Corvane.exe is not the built one"
}

check_registrations() {
  local progid
  for progid in "${progids[@]}"; do
    creates_object "$progid" || fail "$progid creates no object"
  done
}

check_menu() {  # folder
  local entry
  mapfile -t entry < <(shortcut "$(unix_path "$menu")/Pellmark.lnk")
  [ "${entry[0]:-}" = "$1\\Corvane.exe" ] || fail "the Start menu entry starts '${entry[0]:-}'"
  workdir=${entry[1]:-}
  [ -n "$workdir" ] || fail "the Start menu entry names no working folder"
  [ -f "$(unix_path "$workdir")/User manual.pdf" ] || fail "no manual in the working folder $workdir"
  [ -d "$(unix_path "$workdir")/log" ] || fail "no log folder in the working folder $workdir"
  mapfile -t entry < <(shortcut "$(unix_path "$menu")/Pellmark manual.lnk")
  [ "${entry[0]:-}" = "$1\\User manual.pdf" ] || fail "the manual's Start menu entry opens '${entry[0]:-}'"
}

check_uninstall_entry() {  # folder
  local name expected
  for name in DisplayName:Pellmark DisplayVersion:3.0 Publisher:'Pellmark Software' InstallLocation:"$1"; do
    expected=${name#*:} name=${name%%:*}
    [ "$(reg_value "$uninstall_key" "$name")" = "$expected" ] || fail "the Uninstall entry's $name is not '$expected'"
  done
  [ $(($(reg_value "$uninstall_key" EstimatedSize))) -gt 1000 ] || fail "the Uninstall entry's EstimatedSize is too small"
}

check_installed() {  # folder
  check_files "$1"
  check_registrations
  check_menu "$1"
  check_uninstall_entry "$1"
}

check_default_settings() {
  local value expected
  for value in bContact:0x0 bEmail:0x0 bWhoIs:0x0 bKeyword:0x0 dQueryDelay:0x64; do
    expected=${value#*:} value=${value%%:*}
    [ "$(reg_value "$options" "$value")" = "$expected" ] || fail "$value of a new settings key is not $expected"
  done
  [ "$(reg_value "$sources" Chosen)" = 0x0 ] || fail "a new install does not leave the sources to be chosen"
}

# Every user may change the options: the key's access list gives Users full
# control, inherited by Options, and a standard user's token loads and saves
# them with the program's own code. Wine checks access only against a list
# a key was given, so the second half fails when the list given leaves out
# what the program asks for.
check_settings_access() {
  local list expected
  list=$(wine_quiet "$tree/bin/settings_probe.exe" access)
  grep -qF '(A;CI;KA;;;BU)' <<<"$list" || fail "the settings key does not let every user change it: ${list:-no access list}"
  for expected in 0x1 0x0; do
    as_user "$(windows_path "$tree/bin/settings_probe.exe")" flip-contact || fail "a standard user cannot load and save the options"
    [ "$(reg_value "$options" bContact)" = "$expected" ] || fail "a standard user's change of an option did not reach $options"
  done
}

# A setup started without administrator rights says so (silently: by its
# exit code) and changes nothing.
refuse_install_without_rights() {
  local status=0
  as_user "$(windows_path "$setup")" /S "/D=$chosen" || status=$?
  [ "$status" -eq "$no_rights_status" ] || fail "a setup without administrator rights ended with $status"
  [ ! -e "$(unix_path "$chosen")" ] && [ ! -e "$(unix_path "$menu")" ] || fail "a setup without administrator rights installed files"
  ! has_key "$settings_key" && ! has_key "$uninstall_key" || fail "a setup without administrator rights wrote to the registry"
  say "a setup without administrator rights refused"
}

# So is an uninstall. It runs in place (_?=), so that the exit code is the
# uninstall's own and not that of the copy of itself it would start.
refuse_uninstall_without_rights() {
  local status=0
  as_user "$chosen\\Uninstall.exe" /S "_?=$chosen" || status=$?
  [ "$status" -eq "$no_rights_status" ] || fail "an uninstall without administrator rights ended with $status"
  check_installed "$chosen"
  say "an uninstall without administrator rights refused"
}

# A step that cannot be done fails the setup: with a file where the Start
# menu folder goes, its entries cannot be made, and the setup ends with 1.
fail_on_blocked_step() {
  local status=0 blocker
  blocker=$(unix_path "$menu")
  : >"$blocker"
  run_setup || status=$?
  rm -f "$blocker"
  [ "$status" -eq 1 ] || fail "a setup that could not make its Start menu entries ended with $status"
  say "a setup that could not make its Start menu entries failed"
}

stop_all() {
  "$here/tools/simweb.sh" stop "$tree" --engine "$engine" || true
  "$here/tools/wine-prefix.sh" down "$prefix" "" "$loader"
}

# One answer of the local web to a GET, headers and all, through bash's own
# TCP (as tools/simweb.sh stops it).
web_get() {  # host path
  local reply
  exec 3<>"/dev/tcp/$1/80" || return 1
  printf 'GET %s HTTP/1.0\r\nHost: %s\r\n\r\n' "$2" "$1" >&3
  reply=$(cat <&3)
  exec 3<&-
  printf '%s\n' "$reply"
}

# The addresses the local web's engine has for a keyword, one a line: every
# page of its results, a hundred at a time.
engine_results() {  # keyword
  local page start=0 total
  while :; do
    page=$(web_get "$engine" "/search?q=$1&num=100&start=$start") || return 1
    grep -o '<div class="g"><a href="[^"]*"' <<<"$page" | sed 's/.*href="//; s/"$//'
    total=$(sed -n 's/.*of about <b>\([0-9,]*\)<\/b>.*/\1/p' <<<"$page" | tr -d ,)
    start=$((start + 100))
    [ "$start" -lt "${total:-0}" ] || return 0
  done
}

# The WhoIs heading's key of a page: its address up to the end of the host.
whois_key() { sed -E 's#^([A-Za-z]+://[^/]*).*#\1#' <<<"$1"; }

# The saved CSV against the local web and the address file: each row stands
# under the line of its keyword and is among the engine's results for it;
# the e-mail option being on, each row shows an e-mail address (or
# "Multiple"), and EmailAdd.txt holds the row's heading and that address;
# a WhoIs address shown has its domain's heading and its own line there.
check_report() {  # folder rows keyword...
  local folder=$1 rows=$2 line keyword address email whois mail n=0
  shift 2
  local -A results
  for keyword in "$@"; do
    results[$keyword]=$(engine_results "$keyword") || fail "the local web's engine did not answer for '$keyword'"
    [ -n "${results[$keyword]}" ] || fail "the local web has no results for '$keyword'"
  done
  [ "$(head -n 1 "$folder/pellmark-report.csv" | tr -d '\r')" = \
    '#,URL,Page rank,Estimated,Outbound,Backward,EmailIds,WhoIs Information' ] ||
    fail "the CSV's columns are not those of a run with the e-mail and WhoIs options"
  mail=$(tr -d '\r' <"$folder/EmailAdd.txt")
  keyword=
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
      '' | ,*) continue ;;  # a keyword line's empty option fields
      [0-9]*,*) ;;
      *)
        [ -n "${results[$line]+set}" ] || fail "the CSV holds a line that is neither a keyword nor a row: $line"
        keyword=$line
        continue ;;
    esac
    [ -n "$keyword" ] || fail "the CSV holds a row before any keyword: $line"
    IFS=, read -r _ address _ _ _ _ email whois <<<"$line"
    grep -qxF -- "$address" <<<"${results[$keyword]}" || fail "$address is not among the local web's results for '$keyword'"
    [ -n "$email" ] || fail "$address shows no e-mail address, though the run took only pages with one"
    grep -qxF -- "[$address]" <<<"$mail" || fail "EmailAdd.txt has no heading for $address"
    [ "$email" = Multiple ] || grep -qxF -- "$email" <<<"$mail" || fail "EmailAdd.txt does not hold $email of $address"
    if [ -n "$whois" ]; then
      grep -qxF -- "[WhoIs][$(whois_key "$address")]" <<<"$mail" && grep -qxF -- "$whois" <<<"$mail" ||
        fail "EmailAdd.txt does not hold the WhoIs address $whois of $address"
    fi
    n=$((n + 1))
  done < <(tail -n +2 "$folder/pellmark-report.csv")
  # Pages accepted once the list is full still go into their keyword's
  # report, so the report may hold more rows than the list, never fewer.
  [ "$n" -ge "$rows" ] || fail "the CSV holds $n rows, fewer than the list's $rows"
}

play_keyword_run() {
  local keywords log="$tree/dist-check.log" rows folder
  folder=$(unix_path "$workdir")
  mapfile -t keywords < <("$here/tools/corpus-keywords.sh" "$tree" "$tree/dist-corpus" "${web[@]}")
  [ ${#keywords[@]} -eq 2 ] || fail "the corpus gave no keywords"
  "$here/tools/simweb.sh" start "$tree" "${web[@]}" --quiet
  "$loader" "$tree/bin/demo_driver.exe" "$chosen\\Corvane.exe" "$workdir" \
    "${keywords[0]}" "${keywords[1]}" 2>&1 | tr -d '\r' | tee "$log" || fail "the keyword run did not go as a user expects"
  grep -q '^demo: sources: asked at the first start' "$log" || fail "the first start did not ask for the sources"
  [ "$(reg_value "$sources" Chosen)" = 0x1 ] || fail "the choice made at the first start was not stored"
  rows=$(sed -n 's/^demo: rows //p' "$log")
  [ "${rows:-0}" -gt 0 ] || fail "the keyword run gave no rows"
  local file
  for file in pellmark-report.csv pellmark-report.html EmailAdd.txt; do
    [ -s "$folder/$file" ] || fail "$file is missing or empty"
  done
  [ "$(ls "$folder/log" | wc -l)" -gt 0 ] || fail "the program wrote no log"
  check_report "$folder" "$rows" "${keywords[@]}"
  say "keyword run from the Start menu's folder gave $rows rows, each a result of the local web for its keyword, their e-mail addresses in the address file"
}

# The user turned the e-mail and WhoIs options on in the run; a setup over
# the installed program replaces the binaries and keeps those options.
upgrade() {
  local before
  before=$(reg_query "$options"; reg_query "$sources")
  grep -q 'bEmail *REG_DWORD *0x1' <<<"$before" || fail "the run left the e-mail option off"
  echo "stale" >"$(unix_path "$chosen")/README.md"
  run_setup || fail "the second setup failed"
  cmp -s "$dist/README.md" "$(unix_path "$chosen")/README.md" || fail "the second setup did not replace the files"
  check_installed "$chosen"
  [ "$(reg_query "$options"; reg_query "$sources")" = "$before" ] || fail "the second setup changed the user's options or sources"
  say "installed again over it: files replaced, options and sources kept"
}

# The finish page's "Run" starts the program as the user at the desktop, not
# with the setup's administrator rights: the desktop's shell is started
# again with a standard user's token, the setup runs with the
# administrator's, and the program the finish page starts must have the
# shell's. Installing through the pages keeps the options as a silent
# setup does.
finish_page_starts_as_user() {
  local before result
  before=$(reg_query "$options")
  "$here/tools/wine-prefix.sh" down "$prefix" "" "$loader"
  "$(dirname "$loader")/wineserver" -p >/dev/null 2>&1 </dev/null &
  "$loader" "$tree/bin/as_standard_user.exe" explorer.exe /desktop >/dev/null 2>&1 </dev/null &
  result=$("$loader" "$tree/bin/finish_page_driver.exe" "$(windows_path "$setup")" "$chosen" </dev/null 2>/dev/null |
    tr -d '\r') || fail "the setup's pages did not go as a user expects: $result"
  [ "${result%%$'\n'*}" = "shell: administrators deny-only" ] || fail "the desktop's shell is no standard user's: $result"
  [ "${result#*$'\n'}" = "program: administrators deny-only" ] ||
    fail "the finish page started the program with other rights than the desktop's user has: $result"
  check_installed "$chosen"
  [ "$(reg_query "$options")" = "$before" ] || fail "installing through the pages changed the user's options"
  say "installed again through its pages: the finish page started the program as the desktop's user"
}

# A setup started while the program runs says so (silently: exit code 2)
# and changes nothing.
refuse_while_running() {
  local pid readme
  readme=$(unix_path "$chosen")/README.md
  "$loader" "$chosen\\Corvane.exe" </dev/null >/dev/null 2>&1 &
  pid=$!
  wait_for setup_refuses || fail "a setup went on while the program ran"
  echo "stale" >"$readme"
  setup_refuses && grep -qx stale "$readme" || fail "a setup started while the program ran changed files"
  "$loader" taskkill /im Corvane.exe </dev/null >/dev/null 2>&1 || true
  wait_for ended "$pid" || fail "the program did not close when asked to"
  wait "$pid" || true
  say "a setup started while the program ran refused"
}
setup_refuses() {
  local status=0
  run_setup || status=$?
  [ "$status" -eq 2 ]
}
ended() { ! kill -0 "$1" 2>/dev/null; }

# Waits for the silent uninstaller, which runs from a copy of itself and
# removes the install folder last.
run_uninstall() {  # folder [options]
  local folder=$1
  shift
  "$loader" "$folder\\Uninstall.exe" /S "$@" </dev/null >/dev/null 2>&1 || fail "the uninstaller did not start"
  wait_for gone "$(unix_path "$folder")" || fail "$folder is still there after the uninstall"
}

check_uninstalled() {
  local progid folder
  folder=$(unix_path "$workdir")
  for progid in "${progids[@]}"; do
    ! has_key "HKCR\\$progid" || fail "$progid is still registered"
    ! has_key "HKCR\\CLSID\\${clsids[$progid]}" || fail "the class of $progid is still registered"
    ! creates_object "$progid" || fail "$progid still creates an object"
  done
  ! has_key "$uninstall_key" || fail "the Uninstall entry is still there"
  [ ! -e "$(unix_path "$menu")" ] || fail "the Start menu entries are still there"
  [ ! -e "$folder/User manual.pdf" ] && [ ! -e "$folder/log" ] || fail "the working folder still holds the manual or the log"
  [ -s "$folder/pellmark-report.csv" ] && [ -s "$folder/pellmark-report.html" ] || fail "the uninstall took the saved reports"
}

declare -A clsids
remember_classes() {
  local progid
  for progid in "${progids[@]}"; do
    clsids[$progid]=$(reg_default "HKCR\\$progid\\CLSID")
    [ -n "${clsids[$progid]}" ] || fail "$progid has no class"
  done
}

install_fresh() {
  cmake --build "$tree" --target setup
  fresh_prefix
  refuse_install_without_rights
  run_setup "/D=$chosen" || fail "the setup failed"
  check_installed "$chosen"
  check_default_settings
  check_settings_access
  say "installed into $chosen, components registered, settings created for every user, Start menu in $workdir"
}

finish() {
  remember_classes
  upgrade
  finish_page_starts_as_user
  refuse_while_running

  refuse_uninstall_without_rights
  kept=$(reg_query "$options")
  run_uninstall "$chosen"
  check_uninstalled
  [ "$(reg_query "$options")" = "$kept" ] || fail "a silent uninstall did not keep the settings"
  say "uninstalled: nothing left but the settings and the saved reports"

  default_folder=$(wine_quiet cmd /c 'echo %ProgramFiles%')\\Pellmark
  run_setup || fail "the setup into the default folder failed"
  check_installed "$default_folder"
  [ "$(reg_query "$options")" = "$kept" ] || fail "a new install over kept settings changed them"
  run_uninstall "$default_folder" /REMOVESETTINGS
  check_uninstalled
  ! has_key "$settings_key" || fail "the settings stayed after /REMOVESETTINGS"
  say "installed into $default_folder and uninstalled with its settings"

  fail_on_blocked_step
}

trap stop_all EXIT
case "$stage" in
  all) install_fresh; play_keyword_run; finish ;;
  install) install_fresh ;;
  # A later stage goes on with the installed program and its Start menu entry.
  run) use_prefix; check_menu "$chosen"; play_keyword_run ;;
  finish) use_prefix; check_menu "$chosen"; finish ;;
  *) fail "no stage $stage" ;;
esac
