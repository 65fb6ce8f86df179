#!/bin/bash
# Soak test: the console on the simulator for a given time, with a run counted
# by the board every 3 s (a count report; the valve count reaches the EEPROM
# every 20000 cycles), a profile pushed by the simulated server every 10 s
# besides its own polls every 5 s, and a fault every minute (piezo and nozzle
# over-temperature, silent board, DB9 stop, cable pulled), cleared 10 s later.
# It watches the console from outside: RSS and CPU from /proc every second,
# and its heartbeat file every 50 ms (a count the user-interface thread
# rewrites every 100 ms: a longer gap is a stall). Fails when the RSS grows
# by more than 5 % after the warm-up, when the user interface stalls for more
# than 1.5 s, or when the console ends.
# Usage: scripts/soak.sh [seconds]   (default 120; ZUM_BUILD_DIR: build folder)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-120}
build=${ZUM_BUILD_DIR:-$here/build}
case $seconds in '' | *[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;; esac
warmup=30
[ "$seconds" -lt 60 ] && warmup=$((seconds / 4))
max_stall_ms=1500
max_growth_pct=5
. "$here/scripts/simulated-console.sh"
simulated_console zumsoak

sim="" console="" ok=0
cleanup() {
    trap - EXIT INT TERM
    stop_simulated_console
    if [ "$ok" -eq 1 ]; then rm -rf "$root"; else echo "simulated root and logs kept at $root"; fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

start_simulator
printf '{"trigOutForCamera":true,"repeatEnabled":false,"repeatDelay":100,"RemoteServerIP":"127.0.0.1","RemoteServerPort":"%s"}' \
    "$port" >"$root/media/data/JetValveSettings.dat"
# Commands go in the background: the watch below must not wait for them.
send() { "$sim_bin" --root "$root" --send "$1" >>"$logs/commands.log" 2>&1 & }

setsid "$build/app/zumvalvecontroller" >"$logs/console.log" 2>&1 &
console=$!
for _ in $(seq 300); do [ -s "$ZUM_HEARTBEAT_FILE" ] && break; sleep 0.1; done
[ -s "$ZUM_HEARTBEAT_FILE" ] || { echo "soak: the console never showed its window" >&2; exit 1; }

exec {tick}<> <(:) # a pipe nobody writes: "read -t" on it sleeps without a fork
hz=$(getconf CLK_TCK)
faults=("temp piezo 90" "board silent" "temp nozzle 110" "db9 open" "net pull")
clears=("temp piezo 25" "board normal" "temp nozzle 25" "db9 close" "net plug")
start_us=${EPOCHREALTIME/./}
last_beat="" stall=0 stall_at=0 rss="" rss_max=0 ticks_warm=0 ticks=0 ticks_at=0 alive=1
runs=0 pushes=0 fault_count=0 next_second=0 warm_rss_sum=0 warm_rss_n=0
declare -a recent_rss=()
echo "soak: $seconds s (warm-up $warmup s), simulated root $root"
while :; do
    now_us=${EPOCHREALTIME/./}
    elapsed_ms=$(((now_us - start_us) / 1000))
    [ "$elapsed_ms" -ge $((seconds * 1000)) ] && break
    if ! kill -0 "$console" 2>/dev/null; then alive=0; break; fi
    beat=""
    read -r beat <"$ZUM_HEARTBEAT_FILE" 2>/dev/null || true
    if [ -n "$beat" ] && [ "$beat" != "$last_beat" ]; then
        if [ -n "$last_beat" ] && [ $((beat - last_beat)) -gt "$stall" ]; then
            stall=$((beat - last_beat))
            stall_at=$((elapsed_ms / 1000))
        fi
        last_beat=$beat
    fi
    if [ "$elapsed_ms" -ge $((next_second * 1000)) ]; then
        # Once a second: memory, CPU time and what happens to the console.
        while read -r key value _; do [ "$key" = VmRSS: ] && rss=$value; done <"/proc/$console/status"
        read -r -a stat <"/proc/$console/stat"
        ticks=$((stat[13] + stat[14]))
        s=$next_second
        ticks_at=$s
        if [ "$s" -ge "$warmup" ]; then
            [ "$rss" -gt "$rss_max" ] && rss_max=$rss
            if [ "$warm_rss_n" -lt 5 ]; then warm_rss_sum=$((warm_rss_sum + rss)); warm_rss_n=$((warm_rss_n + 1)); fi
            [ "$s" -eq "$warmup" ] && ticks_warm=$ticks
            recent_rss=("${recent_rss[@]: -4}" "$rss")
        fi
        if [ $((s % 3)) -eq 2 ]; then send "board report $((2000 + RANDOM % 4000))"; runs=$((runs + 1)); fi
        if [ $((s % 10)) -eq 5 ]; then
            n=$((1 + pushes % 50))
            send "server push $n {\"programValue\":$n,\"dispenseCycles\":\"1\",\"dwell\":\"$((100 + RANDOM % 900))\",\"dutyCycle\":\"80\",\"riseTime\":\"80\",\"fallTime\":\"80\",\"delay\":\"1000\",\"cycleCount\":\"0\",\"mode\":0,\"nozTemp\":\"30\",\"nozTempState\":false,\"tuning\":\"1\"}"
            pushes=$((pushes + 1))
        fi
        if [ "$s" -ge 20 ] && [ $(((s - 20) % 60)) -eq 0 ]; then
            send "${faults[fault_count % ${#faults[@]}]}"
        fi
        if [ "$s" -ge 30 ] && [ $(((s - 30) % 60)) -eq 0 ]; then
            send "${clears[fault_count % ${#faults[@]}]}"
            fault_count=$((fault_count + 1))
        fi
        next_second=$((next_second + 1))
    fi
    read -r -t 0.05 -u "$tick" _ || true
done
end_us=${EPOCHREALTIME/./}
duration_s=$(((end_us - start_us) / 1000000))

rss_start=$((warm_rss_n > 0 ? warm_rss_sum / warm_rss_n : 0))
rss_end=0
for value in "${recent_rss[@]}"; do rss_end=$((rss_end + value)); done
[ "${#recent_rss[@]}" -gt 0 ] && rss_end=$((rss_end / ${#recent_rss[@]}))
answered=$(grep -c '^console> ZUM_TXN_OK' "$root/sim/remote.log" 2>/dev/null || true)
polls=$(grep -c '^server> ZUM_IOT_REQ' "$root/sim/remote.log" 2>/dev/null || true)
cpu=$(awk -v t0="$ticks_warm" -v t1="$ticks" -v hz="$hz" -v s=$((ticks_at - warmup)) 'BEGIN { printf "%.1f", (s > 0 ? (t1 - t0) * 100 / hz / s : 0) }')
growth=$(awk -v a="$rss_start" -v b="$rss_end" 'BEGIN { printf "%+.1f", (a > 0 ? (b - a) * 100 / a : 0) }')
mib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }

failed=""
[ "$alive" -eq 1 ] || failed="$failed console ended after $((elapsed_ms / 1000)) s;"
[ "$stall" -le "$max_stall_ms" ] || failed="$failed user interface held ${stall} ms at ${stall_at} s;"
awk -v g="$growth" -v m="$max_growth_pct" 'BEGIN { exit !(g > m) }' && failed="$failed RSS grew by $growth %;"
[ "$rss_start" -gt 0 ] || failed="$failed no RSS after the warm-up;"

printf '| measure | value | limit |\n|---|---|---|\n'
printf '| duration (warm-up) | %d s (%d s) | |\n' "$duration_s" "$warmup"
printf '| RSS after warm-up / at the end / highest | %s / %s / %s | end at most +%d %% (%s %%) |\n' \
    "$(mib "$rss_start")" "$(mib "$rss_end")" "$(mib "$rss_max")" "$max_growth_pct" "$growth"
printf '| CPU after warm-up, whole console | %s %% of one core | |\n' "$cpu"
printf '| longest user-interface stall | %d ms (at %d s) | %d ms |\n' "$stall" "$stall_at" "$max_stall_ms"
printf '| load | %d runs, %d profile pushes (%d answered), %d polls, %d faults | |\n' \
    "$runs" "$pushes" "$answered" "$polls" "$fault_count"
if [ -n "$failed" ]; then
    echo "soak: FAILED:$failed"
    exit 1
fi
ok=1
echo "soak: passed"
