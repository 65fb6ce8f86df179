#!/bin/sh
# The board's start script with stand-in programs, under BusyBox ash when it
# is installed (as on the board), else /bin/sh: a fresh program that cannot
# start is replaced by the one before it; one that came up once is kept and
# only retried; stopping the script stops the console.
# Usage, through tests/run_in_root.sh: tst_startscript.sh path/to/zumvalvecontroller-start.sh
set -u
script=$1
shell=${ZUM_TEST_SHELL:-/bin/sh}
[ -z "${ZUM_TEST_SHELL:-}" ] && command -v busybox >/dev/null 2>&1 && shell="busybox sh"
bin=$ZUM_ROOT/usr/bin
ran=$ZUM_ROOT/ran
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A stand-in that logs its start ("<name> <pid>") and then runs $2.
stand_in() {
    printf '#!/bin/sh\necho "%s $$" >>"%s"\n%s\n' "$1" "$ran" "$2" >"$3"
    chmod 755 "$3"
}

# Waits up to 10 s for a shell condition.
wait_for() {
    i=0
    until eval "$1"; do
        i=$((i + 1))
        [ "$i" -gt 100 ] && return 1
        sleep 0.1
    done
}

start() {
    : >"$ran"
    ZUM_START_UP_SECONDS=2 ZUM_START_PAUSE_SECONDS=0 ZUM_START_BACKOFF_SECONDS=1 $shell "$script" &
    starter=$!
}

stop() {
    kill "$starter"
    wait "$starter"
    pid=$(tail -n 1 "$ran" | cut -d' ' -f2)
    ! kill -0 "$pid" 2>/dev/null || fail "$1: the console outlived its start script"
}

mkdir -p "$bin"
log=$ZUM_ROOT/media/data/zumstart.log

# 1. A fresh program that exits at once three times: the old one comes back.
stand_in new "exit 3" "$bin/zumvalvecontroller"
stand_in old "exec sleep 60" "$bin/zumvalvecontroller.old"
start
wait_for 'grep -q "^old" "$ran"' || fail "fresh: the previous program never started"
[ "$(grep -c '^new' "$ran")" -eq 3 ] || fail "fresh: $(grep -c '^new' "$ran") starts of the new program, not 3"
grep -q '^echo "old' "$bin/zumvalvecontroller" || fail "fresh: the previous program is not back in place"
grep -q '^echo "new' "$bin/zumvalvecontroller.failed" || fail "fresh: the failed program is not kept"
[ ! -e "$bin/zumvalvecontroller.old" ] || fail "fresh: .old still there"
grep -q "put back the previous program" "$log" || fail "fresh: the log does not say why"
stop fresh

# 2. A new program that came up once and then keeps failing is not replaced:
# the failures are not the update's.
rm -f "$bin"/* "$ZUM_ROOT/media/data/zumstart.good"
stand_in new 'grep -q "^new" "$0.count" 2>/dev/null && exit 1; echo new >"$0.count"; exec sleep 60' \
    "$bin/zumvalvecontroller"
stand_in old "exec sleep 60" "$bin/zumvalvecontroller.old"
start
wait_for '[ -s "$ZUM_ROOT/media/data/zumstart.good" ]' || fail "came up: never marked as come up"
kill "$(cut -d' ' -f2 "$ran")"
wait_for '[ "$(grep -c "^new" "$ran")" -ge 5 ]' || fail "came up: not restarted after failing"
grep -q "^old" "$ran" && fail "came up: the previous program was put back"
[ -e "$bin/zumvalvecontroller.old" ] || fail "came up: .old gone"
stop "came up"

[ "$failures" -eq 0 ] && echo "PASS" || exit 1
