#!/bin/sh
# Lays out a software update for the board in DIR/JET_VALVE/ as the settings
# page's "Update Software" reads it from the stick: the console program
# "zumvalvecontroller" (cross-built for the board, stripped) and, only when
# one is given, the valve driver module "zuvc.ko". An older program or driver
# left in DIR/JET_VALVE/ is replaced or removed, so the stick installs exactly
# what this run wrote. Prints each file with its size and sha256 checksum.
# Usage: scripts/make-update-stick.sh DIR [path/to/zuvc.ko]
#   DIR is the mounted stick (or any folder to copy onto one).
#   ZUM_ARM_BUILD names the ARM build folder (default: build-arm);
#   ZUM_ARM_PROGRAM names a built program to use as it is.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
usage() {
    echo "usage: $0 DIR [path/to/zuvc.ko]" >&2
    exit 2
}
[ $# -ge 1 ] && [ $# -le 2 ] || usage
dir=$1
driver=${2:-}
build=${ZUM_ARM_BUILD:-$here/build-arm}
[ -d "$dir" ] || { echo "no such folder: $dir" >&2; exit 1; }

# The program is brought up to date from the current sources first, unless
# ZUM_ARM_PROGRAM names one already built (the ARM build's own stick).
program=${ZUM_ARM_PROGRAM:-}
if [ -z "$program" ]; then
    ZUM_ARM_TARGET=zumvalvecontroller "$here/scripts/build-arm.sh" "$build"
    program="$build/app/zumvalvecontroller"
else
    # A program built elsewhere still needs the board's strip and readelf.
    "$here/scripts/install-deps.sh" binutils-arm-linux-gnueabihf
fi

# Only what the console itself accepts goes on the stick (it refuses the
# rest): a whole 32-bit little-endian ARM ELF file, the program an executable
# (or a position-independent one asking for an interpreter), the driver a
# relocatable object with a .modinfo section. Whole: readelf finds nothing
# amiss, and the header tables and every segment lie inside the file.
readelf=$(command -v arm-linux-gnueabihf-readelf || command -v readelf) \
    || { echo "readelf not found (Debian package binutils)" >&2; exit 1; }
refuse() {
    echo "$1: $2" >&2
    return 1
}
check_elf() { # FILE program|module
    errors=$(LC_ALL=C "$readelf" -h -l -S --wide "$1" 2>&1 >/dev/null) || true
    [ -z "$errors" ] || refuse "$1" "$errors" || return 1
    header=$(LC_ALL=C "$readelf" -h "$1")
    field() { printf '%s\n' "$header" | sed -n "s/^ *$1: *//p" | cut -d' ' -f1; }
    [ "$(field Class)" = ELF32 ] && [ "$(field Machine)" = ARM ] || refuse "$1" "not a 32-bit ARM file" || return 1
    printf '%s\n' "$header" | grep -q '^ *Data:.*little endian' || refuse "$1" "not little-endian" || return 1
    case $2:$(field Type) in
    program:EXEC) ;;
    program:DYN)
        LC_ALL=C "$readelf" -l "$1" | grep -q 'Requesting program interpreter' \
            || refuse "$1" "a shared library, not a program" || return 1 ;;
    module:REL)
        LC_ALL=C "$readelf" -S --wide "$1" | grep -q ' \.modinfo ' \
            || refuse "$1" "no .modinfo section: not a kernel module" || return 1 ;;
    *) refuse "$1" "not an ARM $2 (ELF type $(field Type))" || return 1 ;;
    esac
    size=$(wc -c <"$1")
    reach() { echo "$(field "Start of $1 headers")+$(field "Number of $1 headers")*$(field "Size of $1 headers")"; }
    for end in $(reach program) $(reach section) \
        $(LC_ALL=C "$readelf" -l --wide "$1" | awk '$2 ~ /^0x/ && $5 ~ /^0x/ { print $2 "+" $5 }'); do
        [ $(($end)) -le "$size" ] || refuse "$1" "cut short: it reaches past its $size bytes" || return 1
    done
}
check_elf "$program" program || exit 1
if [ -n "$driver" ]; then
    [ -s "$driver" ] || { echo "no driver module at $driver" >&2; exit 1; }
    check_elf "$driver" module || exit 1
fi

out="$dir/JET_VALVE"
mkdir -p "$out"
rm -f "$out/zumvalvecontroller.tmp" "$out/zuvc.ko.tmp"
arm-linux-gnueabihf-strip --strip-all -o "$out/zumvalvecontroller.tmp" "$program"
chmod 755 "$out/zumvalvecontroller.tmp"
check_elf "$out/zumvalvecontroller.tmp" program || { rm -f "$out/zumvalvecontroller.tmp"; exit 1; }
mv -f "$out/zumvalvecontroller.tmp" "$out/zumvalvecontroller"
if [ -n "$driver" ]; then
    cp "$driver" "$out/zuvc.ko.tmp"
    mv -f "$out/zuvc.ko.tmp" "$out/zuvc.ko"
else
    rm -f "$out/zuvc.ko"
fi
sync

echo "wrote $out:"
for file in zumvalvecontroller zuvc.ko; do
    [ -e "$out/$file" ] || continue
    size=$(wc -c <"$out/$file")
    sum=$(sha256sum "$out/$file" | cut -d' ' -f1)
    printf '  %-20s %10d bytes  sha256 %s\n' "$file" "$size" "$sum"
done
others=$(find "$out" -mindepth 1 -maxdepth 1 ! -name zumvalvecontroller ! -name zuvc.ko)
if [ -n "$others" ]; then
    echo "left as they were (the update does not read them):"
    printf '%s\n' "$others" | sed 's/^/  /'
fi
