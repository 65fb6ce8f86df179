# Sourced by the scripts that run the built console against the simulator
# (crash test, soak): builds the two programs, makes a fresh simulated root
# with the fake tools first on PATH, and starts zumsim in it.
# Expects: here, build. Sets: root, logs, sim (zumsim's process id), sim_bin,
# port (its remote server's port).

# Usage: simulated_console <root name prefix>
simulated_console() {
    "$here/scripts/install-deps.sh"
    cmake -S "$here" -B "$build" -DZUM_WERROR=ON >/dev/null
    cmake --build "$build" -j"$(nproc)" --target zumvalvecontroller zumsim-cli >/dev/null
    root=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    export ZUM_ROOT="$root" ZUM_CPU_ARCH=arm PATH="$here/sim/tools:$PATH"
    export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
    export ZUM_HEARTBEAT_FILE="$root/heartbeat"
    sim_bin="$build/sim/zumsim"
    logs="$root/logs"
    mkdir -p "$logs" "$root/media/data"
    export XDG_RUNTIME_DIR="$root/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}

# Starts zumsim and waits for its server's port.
start_simulator() {
    "$sim_bin" --root "$root" --no-stdin >"$logs/zumsim.log" 2>&1 &
    sim=$!
    for _ in $(seq 50); do [ -s "$root/sim/server.port" ] && break; sleep 0.1; done
    port=$(cat "$root/sim/server.port")
}

# Stops the console (with the shell commands it runs, in its process group)
# and zumsim. Expects: console, sim (empty when not started).
stop_simulated_console() {
    [ -n "$console" ] && kill -KILL -- "-$console" 2>/dev/null
    [ -n "$sim" ] && kill "$sim" 2>/dev/null
    wait 2>/dev/null || true
}
