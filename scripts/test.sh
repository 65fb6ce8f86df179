#!/bin/sh
# Installs what is missing, builds, and runs every test; ends with CTest's summary.
# Usage: scripts/test.sh [build-dir] [extra cmake options...]
# ZUM_CTEST_ARGS adds CTest options (for example "-LE window" to leave out the
# real-window scenarios).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
[ $# -gt 0 ] && shift
"$here/scripts/build.sh" "$build" "$@"
# shellcheck disable=SC2086
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" ${ZUM_CTEST_ARGS:-}
