#!/usr/bin/env bash
# run-tests.sh BUILD_DIR [ctest args]: runs every test of a build tree under
# Wine, with a private X display for the tests that open windows.
set -uo pipefail
build=$1; shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=tools/xvfb.sh
source "$here/tools/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
cd "$build"
ctest --output-on-failure -j2 "$@"
