#!/usr/bin/env bash
# Builds the text-analysis benchmark natively and runs it beside grep -Eo
# with the same e-mail expression on the same pages. Prints figure lines
# (see bench/common/bench_figures.h).
#   bench/text_analysis/run.sh [--plain]   (--plain also times the plain expression walk)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"${CXX:-clang++}" -O2 -std=c++17 -DBOOST_REGEX_STANDALONE -I"$here/bench/common" -I"$here/components/common" -I"$here/kestrine" \
    "$here/bench/text_analysis/text_analysis_bench.cpp" "$here/components/common/email_search.cpp" \
    "$here/components/common/expression_search.cpp" "$here/kestrine/page_text.cpp" \
    "$here/kestrine/contact_links.cpp" -o "$work/bench"
"$work/bench" "$work" "$@"
# The same expression in POSIX extended syntax ("-" first or last inside
# brackets instead of escaped).
ere='([a-zA-Z0-9_-])([a-zA-Z0-9_.-]*)@(\[((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\.){3}|((([a-zA-Z0-9-]+)\.)+))([a-zA-Z]{2,}|(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\])'
for page in ordinary image100k image1m; do
  file="$work/$page.html"
  bytes=$(stat -c %s "$file")
  line="FIGURE	page analysis, $page, grep -Eo	MB/s	-"
  for _ in 1 2 3; do
    start=$(date +%s%N)
    LC_ALL=C grep -Eo "$ere" "$file" >/dev/null || [ $? -eq 1 ]  # 1: nothing found
    ns=$(( $(date +%s%N) - start ))
    line+="	$(awk -v b="$bytes" -v ns="$ns" 'BEGIN { printf "%.6g", b / 1e6 / (ns / 1e9) }')"
  done
  echo "$line"
done
