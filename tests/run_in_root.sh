#!/bin/sh
# Runs one test binary in a fresh simulated root with the fake tools first on
# PATH, so that nothing it starts can reach the real board tools or files.
set -u
tools=${ZUM_SIM_TOOLS:?ZUM_SIM_TOOLS must name the fake tool folder}
root=$(mktemp -d "${TMPDIR:-/tmp}/zumtest.XXXXXX") || exit 1
export ZUM_ROOT="$root"
# Qt keeps its runtime files in a private folder (it warns without one).
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export PATH="$tools:$PATH"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export QT_QUICK_BACKEND="${QT_QUICK_BACKEND:-software}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-suppressions=$(dirname "$0")/tsan.supp}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(dirname "$0")/lsan.supp:print_suppressions=0}"
# A test built for another processor runs under the emulator ZUM_EMULATOR
# names (qemu-arm-static); the test helpers start their child programs the same way.
if [ -n "${ZUM_EMULATOR:-}" ]; then
    set -- "$ZUM_EMULATOR" "$@"
fi
"$@"
status=$?
if [ "$status" -eq 0 ] && [ -z "${ZUM_KEEP_ROOT:-}" ]; then
    rm -rf "$root"
else
    echo "simulated root kept at $root" >&2
fi
exit "$status"
