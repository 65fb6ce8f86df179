#!/bin/sh
# Builds the libFuzzer targets of fuzz/ with clang and runs each for the given
# number of seconds (default 30) from its seed corpus. Prints the executions
# of every target; fails when any target crashes or a check of its own fails.
#
#   scripts/fuzz.sh [seconds-per-target] [target...]
#
# The corpus is copied to a scratch folder first, so runs never write into
# the repository; crash inputs are kept in $ZUM_FUZZ_OUT (default
# build-fuzz/findings). ZUM_FUZZ_BUILD names the build folder (default
# build-fuzz), ZUM_FUZZ_JOBS the build jobs (default 2).
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=${*:-"remote serial profiles settings eeprom wifi elf"}
build=${ZUM_FUZZ_BUILD:-$here/build-fuzz}
out=${ZUM_FUZZ_OUT:-$build/findings}
jobs=${ZUM_FUZZ_JOBS:-2}

case "$seconds" in
'' | *[!0-9]*) echo "usage: $0 [seconds-per-target] [target...]" >&2; exit 2 ;;
esac

# clang, and the compiler runtime that holds libFuzzer and the sanitizers.
"$here/scripts/install-deps.sh" clang libclang-rt-dev
"$here/scripts/install-deps.sh"

launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
# shellcheck disable=SC2086
CC=clang CXX=clang++ nice -n 10 cmake -S "$here" -B "$build" -DZUM_FUZZ=ON -DZUM_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo $launcher >/dev/null
for target in $targets; do
    nice -n 10 cmake --build "$build" --target "fuzz_$target" -j "$jobs" >/dev/null \
        || { echo "build of fuzz_$target failed" >&2; exit 1; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/zumfuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM
mkdir -p "$out"
failed=""
for target in $targets; do
    work="$scratch/$target"
    mkdir -p "$work/corpus" "$work/tmp"
    cp "$here/fuzz/corpus/$target/"* "$work/corpus/"
    dict=""
    case "$target" in
    profiles | settings) dict="$here/fuzz/json.dict" ;;
    *) [ -f "$here/fuzz/$target.dict" ] && dict="$here/fuzz/$target.dict" ;;
    esac
    status=0
    (cd "$work" && TMPDIR="$work/tmp" nice -n 10 "$build/fuzz/fuzz_$target" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$out/$target-" \
        ${dict:+-dict="$dict"} "$work/corpus" >"$work/log" 2>&1) || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    corpus=$(ls "$work/corpus" | wc -l)
    if [ "$status" -eq 0 ]; then
        printf '%-10s %10s executions in %ss, corpus %s\n' "$target" "${executions:-?}" "$seconds" "$corpus"
    else
        printf '%-10s FAILED (status %s) after %s executions\n' "$target" "$status" "${executions:-?}"
        grep -E 'fuzz check failed|^input:|ERROR|SUMMARY|^    #[0-9] ' "$work/log" | head -20
        cp "$work/log" "$out/$target.log"
        failed="$failed $target"
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing failed:$failed (inputs and logs in $out)" >&2
    exit 1
fi
