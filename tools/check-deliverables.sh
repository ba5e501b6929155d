#!/usr/bin/env bash
# check-deliverables.sh DIR: every deliverable in DIR is a 32-bit Windows
# binary (PE32 for Intel 80386), whatever tree the tests themselves run in,
# and its export and import tables are what the program and its callers
# bind to. Tests run the same sources, but a decorated export name or a
# MinGW runtime DLL would only show on a Windows machine.
set -uo pipefail
dir=$1 status=0
objdump=i686-w64-mingw32-objdump

fail() { echo "$*"; status=1; }

# The names in the export table, one a line.
exports() {
  "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p'
}

# The DLLs in the import table, lower case, one a line.
imports() { "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'; }

# has_exports FILE NAME...: each NAME exported exactly as spelled.
has_exports() {
  local file=$1 name table; shift
  table=$(exports "$dir/$file")
  for name in "$@"; do
    grep -qxF "$name" <<<"$table" || fail "$file does not export $name (exports: $(tr '\n' ' ' <<<"$table"))"
  done
}

# lacks_imports FILE PATTERN: no imported DLL matches the extended regex.
lacks_imports() {
  local found
  found=$(imports "$dir/$1" | grep -E "$2")
  [ -z "$found" ] || fail "$1 imports $(tr '\n' ' ' <<<"$found")"
}

deliverables=(Corvane.exe simweb.exe Kestrine.dll Ostrel.dll Postil.dll vossic.dll brannick.dll)
for name in "${deliverables[@]}"; do
  kind=$(file -b "$dir/$name" 2>&1)
  case "$kind" in
    "PE32 executable"*"Intel 80386"*) echo "$name: $kind" ;;
    *) fail "$name is not a 32-bit Windows binary: $kind"; continue ;;
  esac
  # Linked statically: nothing of the compiler's runtime beside the binaries.
  lacks_imports "$name" '^lib(gcc|stdc\+\+|winpthread|ssp|gomp|quadmath)'
done

# The rank checksum library: "GetCH" under its plain name, not GetCH@8.
has_exports vossic.dll GetCH
# The tools library: the five exports the program calls (start-up also
# looks up _tcsstrback, which need not exist).
has_exports brannick.dll OpenConnection CloseConnection CorrectURL _tcsstrncase IsValidGURL
# The in-process servers, as regsvr32 and COM find them.
for server in Kestrine.dll Ostrel.dll Postil.dll; do
  has_exports "$server" DllRegisterServer DllUnregisterServer DllGetClassObject DllCanUnloadNow
done
# The program binds the outside libraries by name at start-up and reaches
# the components through COM: none of them may be a load-time import.
lacks_imports Corvane.exe '^(vossic|brannick|kestrine|ostrel|postil)\.dll$'

[ $status = 0 ] && echo "export and import tables as expected"
exit $status
