#!/bin/sh
# Installs what is missing, builds, and runs every test; ends with CTest's summary.
# Usage: scripts/test.sh [build-dir] [extra cmake options...]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
[ $# -gt 0 ] && shift
"$here/scripts/build.sh" "$build" "$@"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
