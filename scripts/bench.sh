#!/bin/sh
# Builds the console and a bare Qt Quick Controls 1 window of the same size,
# measures both on this machine in one run and prints one table:
#   start-up to the first frame (median of 10) and peak RSS after 60 s, each
#   against the bare window; the console's CPU at idle over 60 s with the
#   simulator running; the input thread's own CPU; the full parameter write
#   and the longest hold of the user-interface thread by a silent board; the
#   longest hold of that thread while the operator's slow page actions run
#   with the board's tool times; and, in a real X window, the time from a
#   click on the on-screen stop during a Wi-Fi join to the services line at
#   its stop level.
# Usage: scripts/bench.sh [build-dir]   (ZUM_BENCH_SECONDS shortens the 60 s)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
seconds=${ZUM_BENCH_SECONDS:-60}
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -DZUM_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target zumvalvecontroller zumsim-cli bench_barewindow \
    bench_inputthread bench_paramwrite bench_stall >/dev/null

root=$(mktemp -d "${TMPDIR:-/tmp}/zumbench.XXXXXX")
export ZUM_ROOT="$root" ZUM_CPU_ARCH=arm PATH="$here/sim/tools:$PATH"
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
sim=""
cleanup() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT INT TERM
"$build/sim/zumsim" --root "$root" >"$root/zumsim.log" 2>&1 &
sim=$!
sleep 1
console="$build/app/zumvalvecontroller"
bare="$build/bench/bench_barewindow"

# One start to the first frame, in ms, counted from the moment just before it.
first_frame() {
    ZUM_LAUNCH_NS=$(date +%s%N) ZUM_QUIT_ON_FIRST_FRAME=1 "$1" 2>/dev/null \
        | sed -n 's/^first frame \([0-9.]*\) ms.*/\1/p'
}

median_of_ten() {
    sort -n | sed -n 5,6p | awk '{ s += $1 } END { printf "%.1f", s / NR }'
}

# Runs a program for N seconds; prints "<peak RSS kB> <CPU %>" over that time.
run_for() {
    "$2" >/dev/null 2>&1 &
    pid=$!
    sleep 5
    t0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    sleep "$1"
    t1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    rss=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v r="$rss" -v a="$t0" -v b="$t1" -v s="$1" -v hz="$(getconf CLK_TCK)" \
        'BEGIN { printf "%d %.2f", r, (b - a) * 100 / hz / s }'
}

# Ten starts of each, taking turns, so that a change in the machine's load
# reaches both alike.
i=0
while [ $i -lt 10 ]; do
    first_frame "$bare" >>"$root/bare.ms"
    first_frame "$console" >>"$root/console.ms"
    i=$((i + 1))
done
bare_start=$(median_of_ten <"$root/bare.ms")
console_start=$(median_of_ten <"$root/console.ms")
set -- $(run_for 5 "$bare")
bare_rss=$1
set -- $(run_for "$seconds" "$console")
console_rss=$1
console_cpu=$2
input_cpu=$(ZUM_SIM_TOOLS="$here/sim/tools" "$here/tests/run_in_root.sh" "$build/bench/bench_inputthread" 10 2>/dev/null \
    | sed -n 's/.* = \([0-9.]*\) % of one core/\1/p' | tail -n 1)
paramwrite=$(ZUM_SIM_TOOLS="$here/sim/tools" "$here/tests/run_in_root.sh" "$build/bench/bench_paramwrite" 2>/dev/null)
stall=$(ZUM_SIM_TOOLS="$here/sim/tools" "$here/tests/run_in_root.sh" "$build/bench/bench_stall" 2>/dev/null \
    | sed -n 's/^longest window-thread stall during the page actions: \([0-9]*\) ms/\1/p')
# The window scenario prints the time from the start of the click tool, which
# takes part of it itself; it needs Xvfb, xdotool and ImageMagick.
estop=$(ZUM_SIM_TOOLS="$here/sim/tools" "$here/tests/run_in_root.sh" python3 \
    "$here/tests/e2e/window/test_scenarios.py" --build "$build" stop_during_wifi_join 2>/dev/null \
    | sed -n 's/.*services line at its stop level \([0-9]*\) ms after the click.*/\1/p')

printf '| measure | console | bare window | ratio | target |\n|---|---|---|---|---|\n'
awk -v c="$console_start" -v b="$bare_start" \
    'BEGIN { printf "| start to the first frame (operating screen, profile 1), median of 10 | %.1f ms | %.1f ms | %.2f | at most 2.5 |\n", c, b, c / b }'
awk -v c="$console_rss" -v b="$bare_rss" -v s="$seconds" \
    'BEGIN { printf "| peak RSS after %d s | %.1f MiB | %.1f MiB | %.2f | at most 1.4 |\n", s, c / 1024, b / 1024, c / b }'
printf '| CPU at idle over %s s, whole console | %s %% | | | below 2 %% |\n' "$seconds" "$console_cpu"
awk -v c="${input_cpu:-?}" 'BEGIN { printf "| input thread CPU over 10 s | %s %% | | | below 1 %% |\n", c == "?" ? c : sprintf("%.2f", c) }'
printf '%s\n' "$paramwrite" | grep '^full' | sed 's/^/| /; s/$/ | | | |/'
printf '| longest window-thread stall during the slow page actions, board tool times | %s ms | | | at most 50 ms |\n' "${stall:-?}"
printf '| on-screen stop during a Wi-Fi join, click to services line at its stop level | %s ms | | | at most 100 ms |\n' "${estop:-?}"
