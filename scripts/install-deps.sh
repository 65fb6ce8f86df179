#!/bin/sh
# Installs the Debian packages the console needs to build, test and run,
# skipping those already present. Needs root (or sudo).
# Usage: scripts/install-deps.sh [package...]   (other packages instead of those)
set -eu

packages="
build-essential cmake pkg-config ccache
qtbase5-dev qtdeclarative5-dev qtdeclarative5-dev-tools libqt5serialport5-dev
qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-controls
qml-module-qtquick-extras qml-module-qttest
xvfb xauth x11-apps imagemagick xdotool fonts-dejavu-core
busybox
"
[ $# -gt 0 ] && packages="$*"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "installing:$missing"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "need root or sudo to install:$missing" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
