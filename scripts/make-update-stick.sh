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
fi

# Only ARM files go on the stick: a host build or a driver for another
# machine would be installed and leave the board unable to start.
machine() {
    arm-linux-gnueabihf-readelf -h "$1" 2>/dev/null | sed -n 's/^ *Machine: *//p'
}
[ "$(machine "$program")" = ARM ] || { echo "not an ARM program: $program" >&2; exit 1; }
if [ -n "$driver" ]; then
    [ -s "$driver" ] || { echo "no driver module at $driver" >&2; exit 1; }
    [ "$(machine "$driver")" = ARM ] || { echo "not an ARM kernel module: $driver" >&2; exit 1; }
fi

out="$dir/JET_VALVE"
mkdir -p "$out"
rm -f "$out/zumvalvecontroller.tmp" "$out/zuvc.ko.tmp"
arm-linux-gnueabihf-strip --strip-all -o "$out/zumvalvecontroller.tmp" "$program"
chmod 755 "$out/zumvalvecontroller.tmp"
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
