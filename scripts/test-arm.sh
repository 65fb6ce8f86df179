#!/bin/sh
# Cross-builds everything for the ARMv7 board (scripts/build-arm.sh) and runs
# every test under user-mode emulation (qemu-arm-static), each through
# tests/run_in_root.sh as in the native run; ends with CTest's summary and
# prints each stage's time.
# Usage: scripts/test-arm.sh [build-dir] [extra ctest options, e.g. -R tst_fileio]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-arm}
[ $# -gt 0 ] && shift

began=$(date +%s)
"$here/scripts/build-arm.sh" "$build"
built=$(date +%s)
echo "ARM build: $((built - began)) s"

# The tests start and stop child processes; in a process-id namespace of their
# own, a stray signal from an emulated program cannot reach the machine's other
# processes.
isolate=""
if unshare --pid --fork --mount-proc true 2>/dev/null; then
    isolate="unshare --pid --fork --mount-proc"
fi
status=0
$isolate ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@" || status=$?
echo "ARM tests under emulation: $(($(date +%s) - built)) s"
exit "$status"
