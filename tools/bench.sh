#!/usr/bin/env bash
# bench.sh BUILD_TREE [rounds]: runs every benchmark of a built tree under
# Wine (a private X display, the tree's Wine prefix with the components
# registered) and the native text-analysis benchmark, then prints one
# table of every figure (min, median, max over the rounds, and its goal)
# with the machine it ran on, and writes the same to bench-output/bench.csv.
# rounds: how often each figure is taken (default: each benchmark's own,
# 5 where a round is cheap, 3 for the end-to-end runs).
# Benchmarks measure and never fail on a time; the script fails when a
# benchmark could not do its work.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tree=${1:-}
[ -n "$tree" ] && [ -x "$tree/bin/run_bench.exe" ] || { echo "usage: bench.sh BUILD_TREE (a tree with the benchmarks)" >&2; exit 2; }
tree="$(cd "$tree" && pwd)"
rounds=${2:-}
out="$here/bench-output"
. "$here/tools/wine-env.sh"
loader="$(tree_loader "$tree")"
wine_env "$tree/wineprefix" "$loader"
mkdir -p "$out"
raw="$out/output.txt"
: >"$raw"

machine() {
  echo "CPU: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
  echo "Cores: $(nproc)"
  echo "Memory: $(awk '/^MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)"
  echo "Wine: $("$loader" --version 2>/dev/null)"
  echo "OS: $(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r)"
  echo "Load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
}

failed=()
# run NAME COMMAND...: keeps the command's output, shows all but the
# figure lines as they come.
run() {
  local name=$1; shift
  echo "bench: $name" >&2
  "$@" | tee -a "$raw" | { grep --line-buffered -v '^FIGURE' >&2 || true; }
  local status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || failed+=("$name (exit $status)")
}

# One row per figure: name, unit, min, median, max, goal.
summarise() {
  awk -F'\t' '{
    n = NF - 4; delete v
    for (i = 1; i <= n; ++i) v[i] = $(i + 4) + 0
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    median = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    printf "%s\t%s\t%.4g\t%.4g\t%.4g\t%s\t%d\n", $2, $3, v[1], median, v[n], $4, n
  }' < <(grep '^FIGURE' "$raw")
}

print_table() {
  printf '%-58s %-10s %10s %10s %10s  %-12s %s\n' figure unit min median max goal rounds
  summarise | awk -F'\t' '{ printf "%-58s %-10s %10s %10s %10s  %-12s %s\n", $1, $2, $3, $4, $5, $6, $7 }'
  echo
  echo "$machine_text"
}

write_csv() {
  echo "$machine_text" | sed 's/^/# /'
  echo "figure,unit,min,median,max,goal,rounds"
  summarise | awk -F'\t' '{ printf "\"%s\",%s,%s,%s,%s,\"%s\",%s\n", $1, $2, $3, $4, $5, $6, $7 }'
}

# shellcheck source=tools/xvfb.sh
source "$here/tools/xvfb.sh"
start_xvfb || exit 1
# The private display has no window manager: the prefix keeps the windows
# to Wine (see wine-prefix.sh), or every closed window would add 2 s.
"$here/tools/wine-prefix.sh" up "$WINEPREFIX" "$tree/bin" "$loader" unmanaged || exit 1
trap '"$here/tools/wine-prefix.sh" down "$WINEPREFIX" "$tree/bin" "$loader"; stop_xvfb' EXIT
# The https side of today's services for the runs end to end (the prefix
# trusts the tree's authority since it came up).
fronts="$tree/bench/runs/run_bench_fronts.txt"
if [ -s "$fronts" ]; then
  # shellcheck disable=SC2046
  "$here/tools/tls.sh" start "$tree" run_bench $(cat "$fronts") >&2 || exit 1
  trap '"$here/tools/tls.sh" stop "$tree" run_bench; "$here/tools/wine-prefix.sh" down "$WINEPREFIX" "$tree/bin" "$loader"; stop_xvfb' EXIT
fi

machine_text=$(machine)
run "growth of the lists" "$loader" "$tree/bin/growth_bench.exe" ${rounds:+"$rounds"}
run "result list sort" "$loader" "$tree/bin/list_sort_bench.exe" ${rounds:+"$rounds"}
run "start-up and shut-down" "$loader" "$tree/bin/startup_bench.exe" ${rounds:+"$rounds"}
run "runs end to end" "$loader" "$tree/bin/run_bench.exe" ${rounds:+"$rounds"}
run "a page of a URL run, step by step" "$loader" "$tree/bin/page_phase_bench.exe" ${rounds:+"$rounds"}
run "local web" "$loader" "$tree/bin/simweb_bench.exe" ${rounds:+"$rounds"}
run "page analysis" "$here/bench/text_analysis/run.sh"

echo
print_table
write_csv >"$out/bench.csv"
echo "written: bench-output/bench.csv"
if [ ${#failed[@]} -ne 0 ]; then
  printf 'bench: failed: %s\n' "${failed[@]}" >&2
  exit 1
fi
