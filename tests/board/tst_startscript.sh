#!/bin/sh
# The board's start script with stand-in programs, under BusyBox ash when it
# is installed (as on the board): a fresh program that cannot start makes way
# for the one before it; one that came up once is only retried; stopping the
# script stops the console.
# Usage, through tests/run_in_root.sh: tst_startscript.sh path/to/zumvalvecontroller-start.sh
set -u
shell=${ZUM_TEST_SHELL:-/bin/sh}
[ -z "${ZUM_TEST_SHELL:-}" ] && command -v busybox >/dev/null 2>&1 && shell="busybox sh"
bin=$ZUM_ROOT/usr/bin data=$ZUM_ROOT/media/data ran=$ZUM_ROOT/ran failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
starts() { grep -c "^$1" "$ran"; }

# A program that logs "<name> <pid>" when it starts, then runs $2.
stand_in() {
    printf '#!/bin/sh\necho "%s $$" >>"%s"\n%s\n' "$1" "$ran" "$2" >"$bin/zumvalvecontroller$3"
    chmod 755 "$bin/zumvalvecontroller$3"
}

wait_for() { # up to 10 s
    i=0
    until eval "$1"; do
        [ $((i += 1)) -gt 100 ] && return 1
        sleep 0.1
    done
}

start() {
    : >"$ran"
    ZUM_START_UP_SECONDS=2 ZUM_START_PAUSE_SECONDS=0 ZUM_START_BACKOFF_SECONDS=1 $shell "$1" &
    starter=$!
}

stop() {
    kill "$starter" && wait "$starter"
    ! kill -0 "$(tail -n 1 "$ran" | cut -d' ' -f2)" 2>/dev/null || fail "$1: the console outlived its start script"
}

mkdir -p "$bin" "$data"
head -c 70000 /dev/zero | tr '\0' x >"$data/zumstart.log"  # full: the first line rotates it
stand_in new "exit 3" ""
stand_in old "exec sleep 60" .old
start "$1"
wait_for '[ "$(starts old)" = 1 ]' || fail "fresh: the previous program never started"
[ "$(starts new)" = 3 ] || fail "fresh: $(starts new) starts of the new program, not 3"
grep -q '^echo "old' "$bin/zumvalvecontroller" && grep -q '^echo "new' "$bin/zumvalvecontroller.failed" \
    && [ ! -e "$bin/zumvalvecontroller.old" ] || fail "fresh: the old program is not back, or the new one not kept"
grep -q "put back the previous program" "$data/zumstart.log" || fail "fresh: the log does not say why"
stop fresh

# Once it came up, its failures are not the update's: restarted, not replaced.
rm -f "$data/zumstart.good"
stand_in new '[ -e "$0.ran" ] && exit 1; : >"$0.ran"; exec sleep 60' ""
stand_in old "exec sleep 60" .old
start "$1"
wait_for '[ -s "$data/zumstart.good" ]' || fail "came up: never marked as come up"
kill "$(cut -d' ' -f2 "$ran")"
wait_for '[ "$(starts new)" -ge 5 ]' || fail "came up: not restarted after failing"
[ "$(starts old)" = 0 ] && [ -e "$bin/zumvalvecontroller.old" ] || fail "came up: the previous program was put back"
stop "came up"

# The console clears two-dot names in its data folder as leftovers of its saves.
[ -s "$data/zumstart-1.log" ] && ! ls "$data" | grep -q '\..*\.' || fail "names: $(ls "$data" | tr '\n' ' ')"

[ "$failures" = 0 ] && echo PASS
