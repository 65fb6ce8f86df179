#!/bin/sh
# Starts the jet valve console on the board and keeps it running; installed
# as /usr/bin/zumvalvecontroller-start, beside the program, and started by
# the board's init instead of the program itself. Arguments go to the console.
#
# The console restarts whenever it exits. A start "comes up" when the console
# is still running ZUM_START_UP_SECONDS after it was started (the window is
# up within a few seconds; a program that cannot run at all, a missing
# library or a file that is no program, ends at once). When a freshly
# installed program fails to come up ZUM_START_TRIES times within
# ZUM_START_WINDOW_SECONDS, the previous program, kept by the update as
# zumvalvecontroller.old, is put back with one rename and started instead;
# the program that failed stays as zumvalvecontroller.failed. "Freshly
# installed" means: a .old lies beside it and this program has never come up
# on this board (the last program that came up is remembered by checksum in
# /media/data/zumstart.good; the board's clock may be unset, so file times
# are not trusted to tell old from new).
#
# Why each restart and roll-back happened goes to /media/data/zumstart.log
# (kept below 64 KiB, the previous part in zumstart-1.log) and to syslog
# when `logger` is there. Every name this script keeps in /media/data has a
# single dot: the console clears names of the form "a.b.XXXXXX" there as
# leftovers of its own interrupted saves.
#
# BusyBox ash on the board; POSIX sh only. For tests, ZUM_ROOT puts every
# path under a folder, and the timings below can be shortened.
set -u

root=${ZUM_ROOT:-}
program=$root/usr/bin/zumvalvecontroller
previous=$program.old
failed=$program.failed
data=$root/media/data
log=$data/zumstart.log
good=$data/zumstart.good
good_tmp=$data/zumstart-good.tmp
log_old=$data/zumstart-1.log
up_seconds=${ZUM_START_UP_SECONDS:-15}
window_seconds=${ZUM_START_WINDOW_SECONDS:-60}
tries=${ZUM_START_TRIES:-3}
pause_seconds=${ZUM_START_PAUSE_SECONDS:-1}
# A program that keeps failing (no .old left to go back to) is retried
# less often, so the log on the flash does not grow by a line a second.
backoff_seconds=${ZUM_START_BACKOFF_SECONDS:-30}
log_limit=65536

say() {
    mkdir -p "$data" 2>/dev/null
    if [ -f "$log" ] && [ "$(wc -c <"$log")" -gt "$log_limit" ]; then
        mv -f "$log" "$log_old"
    fi
    echo "$(date '+%Y-%m-%d %H:%M:%S') $*" >>"$log"
    command -v logger >/dev/null 2>&1 && logger -t zumvalvecontroller-start "$*"
}

# Seconds since boot: unlike the date, it does not jump when the clock is set.
uptime_seconds() {
    cut -d. -f1 /proc/uptime
}

checksum() {
    cksum <"$1" 2>/dev/null
}

# Whether the program that just failed ($sum) is a fresh install.
fresh() {
    [ -f "$previous" ] && [ "$sum" != "$(cat "$good" 2>/dev/null)" ]
}

remember_good() {
    echo "$sum" >"$good_tmp" && mv -f "$good_tmp" "$good"
}

# Puts the previous program back. The rename replaces the failed program in
# one step, so a power cut leaves one program or the other, never none.
roll_back() {
    rm -f "$failed"
    ln "$program" "$failed" 2>/dev/null || cp -p "$program" "$failed"
    if mv -f "$previous" "$program"; then
        sync
        say "put back the previous program: the new one did not come up $tries times within" \
            "${window_seconds} s (kept as $failed)"
    else
        say "could not put back $previous"
    fi
}

console=""
watcher=""
stop() {
    trap - TERM INT HUP
    [ -n "$console" ] && kill "$console" 2>/dev/null && wait "$console" 2>/dev/null
    [ -n "$watcher" ] && kill "$watcher" 2>/dev/null
    say "stopped"
    exit 0
}
trap stop TERM INT HUP

failures=""  # times of the recent starts that did not come up
say "starting $program"
while :; do
    # Taken before the start: an update may replace the file while it runs.
    sum=$(checksum "$program")
    started=$(uptime_seconds)
    "$program" "$@" &
    console=$!
    # Remembers the program as one that came up once it outlives the grace
    # time (even if it then runs until the board goes down).
    (
        sleep "$up_seconds"
        kill -0 "$console" 2>/dev/null && remember_good
    ) </dev/null >/dev/null 2>&1 &
    watcher=$!
    wait "$console"
    status=$?
    console=""
    now=$(uptime_seconds)

    if [ $((now - started)) -ge "$up_seconds" ]; then
        failures=""
        say "console ended with status $status after $((now - started)) s; starting it again"
        sleep "$pause_seconds"
        continue
    fi

    recent=""
    for t in $failures; do
        [ $((now - t)) -lt "$window_seconds" ] && recent="$recent $t"
    done
    failures="$recent $now"
    count=$(echo "$failures" | wc -w)
    say "console ended with status $status after $((now - started)) s, before it came up ($count within ${window_seconds} s)"
    if [ "$count" -ge "$tries" ]; then
        if fresh; then
            roll_back
            failures=""
        else
            sleep "$backoff_seconds"
            continue
        fi
    fi
    sleep "$pause_seconds"
done
