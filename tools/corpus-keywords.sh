#!/usr/bin/env bash
# corpus-keywords.sh TREE FOLDER [simweb options]: writes the corpus that
# simweb.exe of the build tree generates with those options into FOLDER and
# prints the two topic words that most of its pages carry, one per line
# (both have results). WINEPREFIX and WINELOADER come from the caller.
set -euo pipefail
tree=$1 corpus=$2
shift 2
loader=$WINELOADER
rm -rf "$corpus"
"$loader" "$tree/bin/simweb.exe" "$@" --write-corpus "Z:${corpus//\//\\}" >/dev/null
find "$corpus" -path '*/articles/*.html' -printf '%f\n' | sed 's/-[0-9]*\.html$//' | sort -u |
  while read -r word; do printf '%s %s\n' "$(grep -rliw -- "$word" "$corpus" | wc -l)" "$word"; done |
  sort -rn | head -2 | cut -d' ' -f2
