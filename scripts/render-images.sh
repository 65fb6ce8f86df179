#!/bin/sh
# Renders every icon source images/src/<Name>.svg to images/<Name>.png at the
# size the source declares. The PNGs are kept in the repository, so a build
# never needs this; run it after changing a source and commit both.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/images/src"
out="$root/images"

"$root/scripts/install-deps.sh" librsvg2-bin fonts-dejavu-core

count=0
for svg in "$src"/*.svg; do
    [ -e "$svg" ] || { echo "no sources in $src" >&2; exit 1; }
    name=$(basename "$svg" .svg)
    rsvg-convert --format=png --output="$out/$name.png" "$svg"
    count=$((count + 1))
done
echo "rendered $count images into $out"
