#!/bin/sh
# Installs what is missing, configures and builds.
# Usage: scripts/build.sh [build-dir] [extra cmake options...]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
[ $# -gt 0 ] && shift
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -DZUM_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
