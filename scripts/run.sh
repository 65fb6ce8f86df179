#!/bin/sh
# Builds the console and runs it against a fresh simulated board root:
# fake tools first on PATH, ZUM_ROOT set, board code active (ZUM_CPU_ARCH=arm).
# With a display it opens a window; without one it runs under Xvfb and saves a
# screenshot every few seconds. Runs until interrupted, then stops everything.
# Usage: scripts/run.sh [extra console options...]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZUM_BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -DZUM_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target zumvalvecontroller zumsim-cli

root=$(mktemp -d "${TMPDIR:-/tmp}/zumdemo.XXXXXX")
export ZUM_ROOT="$root"
export ZUM_CPU_ARCH=arm
export PATH="$here/sim/tools:$PATH"
logs="$root/logs"
mkdir -p "$logs"
# A desktop session has its runtime folder; elsewhere Qt gets a private one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$root/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi

pids=""
cleanup() {
    trap - INT TERM EXIT
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    echo "demo stopped; the simulated root stays at $root"
}
trap cleanup EXIT
trap 'exit 0' INT TERM

"$build/sim/zumsim" --root "$root" >"$logs/zumsim.log" 2>&1 &
pids="$pids $!"
sleep 1
# The console reports to the simulated server on this machine.
port=$(cat "$root/sim/server.port" 2>/dev/null || echo 4900)
mkdir -p "$root/media/data"
printf '{"trigOutForCamera":true,"repeatEnabled":false,"repeatDelay":100,"RemoteServerIP":"127.0.0.1","RemoteServerPort":"%s"}' \
    "$port" >"$root/media/data/JetValveSettings.dat"

if [ -z "${DISPLAY:-}" ]; then
    # Xvfb picks a free display itself and names it on descriptor 3, so the
    # demo never lands on someone else's.
    Xvfb -displayfd 3 -screen 0 800x480x24 -nolisten tcp 3>"$logs/xvfb.display" >"$logs/xvfb.log" 2>&1 &
    pids="$pids $!"
    for _ in $(seq 50); do [ -s "$logs/xvfb.display" ] && break; sleep 0.1; done
    [ -s "$logs/xvfb.display" ] || { echo "run.sh: Xvfb did not start, see $logs/xvfb.log" >&2; exit 1; }
    display=:$(cat "$logs/xvfb.display")
    export DISPLAY="$display"
    export QT_QUICK_BACKEND=software
    shot="$root/screenshot.png"
    (
        while sleep 3; do
            import -display "$display" -window root -crop 480x272+0+0 "$shot.tmp.png" 2>/dev/null \
                && mv "$shot.tmp.png" "$shot"
        done
    ) &
    pids="$pids $!"
    echo "no display: running under Xvfb $display, screenshot every 3 s in $shot"
fi
export QT_QPA_PLATFORM=xcb

echo "simulated root:  $root"
echo "console log:     $logs/console.log"
echo "simulator log:   $logs/zumsim.log (traffic and tool calls under $root/sim)"
echo "inject faults:   $build/sim/zumsim --root $root --send help"
echo "press Ctrl-C to stop"

"$build/app/zumvalvecontroller" "$@" >"$logs/console.log" 2>&1 &
console=$!
pids="$console $pids"
wait "$console" || true
