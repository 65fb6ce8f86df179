#!/bin/sh
# Renders every icon source images/src/<Name>.svg to images/<Name>.png at the
# size the source declares. The PNGs are kept in the repository, so a build
# never needs this; run it after changing a source and commit both.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/images/src"
out="$root/images"

if ! command -v rsvg-convert >/dev/null 2>&1; then
    echo "installing: librsvg2-bin"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null 2>&1 || { echo "need root or sudo to install librsvg2-bin" >&2; exit 1; }
        sudo=sudo
    fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends librsvg2-bin
fi

count=0
for svg in "$src"/*.svg; do
    [ -e "$svg" ] || { echo "no sources in $src" >&2; exit 1; }
    name=$(basename "$svg" .svg)
    rsvg-convert --format=png --output="$out/$name.png" "$svg"
    count=$((count + 1))
done
echo "rendered $count images into $out"
