#!/usr/bin/env bash
# check-deliverables.sh DIR: every deliverable in DIR is a 32-bit Windows
# binary (PE32 for Intel 80386), whatever tree the tests themselves run in.
set -uo pipefail
dir=$1 status=0
for name in Corvane.exe simweb.exe Kestrine.dll Ostrel.dll Postil.dll vossic.dll brannick.dll; do
  kind=$(file -b "$dir/$name" 2>&1)
  case "$kind" in
    "PE32 executable"*"Intel 80386"*) echo "$name: $kind" ;;
    *) echo "$name is not a 32-bit Windows binary: $kind"; status=1 ;;
  esac
done
exit $status
