#!/bin/sh
# Renders every icon source images/src/<Name>.svg to images/<Name>.png, as wide
# as the largest place the pages show it (a little more, so that scaling only
# ever shrinks it). Pictures drawn larger than they are shown cost decoding
# time at start-up and memory for as long as the console runs. The PNGs are kept in the repository, so a build
# never needs this; run it after changing a source and commit both.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/images/src"
out="$root/images"

"$root/scripts/install-deps.sh" librsvg2-bin fonts-dejavu-core

# Width in pixels; the height follows the source's proportions.
width_of() {
    case "$1" in
    EStop | ThumbsUp | Failed) echo 128 ;;
    TempMeter | VandrelImage) echo 200 ;;
    VandrelLogo_White) echo 176 ;;
    Up | Down | Run | Run_Disabled | Running | StopIcon | Repeat | Line | LineSelected | \
        PurgeMode | PurgeModeSelected | Purge_Disabled | ValveClose | ValveOpen | \
        Cancel | Submit | WaitIcon) echo 80 ;;
    Blank_Gray | ScrollDown | ScrollFirst | ScrollLast | ScrollUp) echo 56 ;;
    *) echo 48 ;;
    esac
}

count=0
for svg in "$src"/*.svg; do
    [ -e "$svg" ] || { echo "no sources in $src" >&2; exit 1; }
    name=$(basename "$svg" .svg)
    rsvg-convert --format=png --keep-aspect-ratio --width="$(width_of "$name")" \
        --output="$out/$name.png" "$svg"
    count=$((count + 1))
done
echo "rendered $count images into $out"
