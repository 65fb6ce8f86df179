#!/bin/sh
# Builds the console and takes a picture of each page and state, driven as an
# operator would drive it, against the simulated board, valve chip, server and
# fake tools, in a real X window under Xvfb. Writes docs/screenshots/*.png.
# Usage: scripts/screenshots.sh [build-dir]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out="$here/docs/screenshots"
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -DZUM_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target console_screenshots >/dev/null

# Xvfb picks a free display itself and names it on descriptor 3.
named=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x480x24 -nolisten tcp 3>"$named" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$named"' EXIT INT TERM
for _ in $(seq 50); do [ -s "$named" ] && break; sleep 0.1; done
[ -s "$named" ] || { echo "screenshots.sh: Xvfb did not start" >&2; exit 1; }
display=:$(cat "$named")
mkdir -p "$out"
DISPLAY="$display" QT_QPA_PLATFORM=xcb ZUM_SIM_TOOLS="$here/sim/tools" \
    "$here/tests/run_in_root.sh" "$build/tests/e2e/console_screenshots" "$out" 2>&1 | grep -E '^(saved|cannot)' || true
