#!/usr/bin/env bash
# fuzz.sh NATIVE_BUILD_DIR [seconds]: runs every fuzz target of the native
# tree for the given time from its checked-in seeds (new inputs are kept in
# the build tree) and prints executions and corpus size per target. Fails
# when any target finds a crash, a leak or a hang.
set -uo pipefail
native=$1
seconds=${2:-60}
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
status=0
for program in "$native"/fuzz/*_fuzz; do
  name=$(basename "$program" _fuzz)
  grown="$native/fuzz-corpus/$name"
  mkdir -p "$grown"
  log="$native/fuzz-$name.log"
  "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$native/fuzz-crash-$name-" "$grown" "$here/native/fuzz/corpus/$name" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  files=$(find "$grown" "$here/native/fuzz/corpus/$name" -type f | wc -l)
  if [ "$rc" -eq 0 ]; then verdict=ok; else verdict="FAILED (see $log)"; status=1; fi
  printf '%-18s %12s executions %6s corpus files  %s\n' "$name" "${runs:-?}" "$files" "$verdict"
done
exit $status
