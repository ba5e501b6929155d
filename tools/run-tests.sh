#!/usr/bin/env bash
# run-tests.sh [--native NATIVE_DIR] BUILD_DIR [ctest args]: runs the
# native sanitizer tree's tests first (when given), then every test of a
# build tree under Wine, with a private X display for the tests that open
# windows. Fails when either run fails; the Wine run's summary comes last.
set -uo pipefail
native=
if [ "${1:-}" = --native ]; then native=$2; shift 2; fi
build=$1; shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native_status=0
if [ -n "$native" ]; then
  ctest --test-dir "$native" --output-on-failure -j2 || native_status=$?
fi
# shellcheck source=tools/xvfb.sh
source "$here/tools/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
cd "$build"
ctest --output-on-failure -j2 "$@"
wine_status=$?
[ "$native_status" -ne 0 ] && exit "$native_status"
exit "$wine_status"
