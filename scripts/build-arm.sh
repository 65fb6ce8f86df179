#!/bin/sh
# Cross-builds the console and every test for the ARMv7 board
# (arm-linux-gnueabihf) with Debian's cross compiler and Debian's armhf Qt
# through multiarch, warnings as errors. Installs what is missing: the host
# packages of scripts/install-deps.sh (moc, rcc and qmllint come from the
# host), the armhf architecture, the cross compiler, the armhf Qt libraries
# and QML modules, and qemu-user-static for running the tests
# (scripts/test-arm.sh). The native build is left as it is: the armhf Qt
# packages install beside the host's, under .../arm-linux-gnueabihf/.
# Usage: scripts/build-arm.sh [build-dir] [extra cmake options...]
#   ZUM_ARM_TARGET=<target> builds that target alone.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-arm}
[ $# -gt 0 ] && shift
"$here/scripts/install-deps.sh"

packages="
crossbuild-essential-armhf qemu-user-static
qtbase5-dev:armhf qtdeclarative5-dev:armhf libqt5serialport5-dev:armhf
qml-module-qtquick2:armhf qml-module-qtquick-window2:armhf
qml-module-qtquick-controls:armhf qml-module-qtquick-extras:armhf
qml-module-qttest:armhf
"
missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null 2>&1 || { echo "need root or sudo to install:$missing" >&2; exit 1; }
        sudo=sudo
    fi
    if ! dpkg --print-foreign-architectures | grep -qx armhf; then
        $sudo dpkg --add-architecture armhf
    fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    $sudo apt-get install -y -qq --no-install-recommends $missing
fi

cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-armhf.cmake" -DZUM_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" ${ZUM_ARM_TARGET:+--target "$ZUM_ARM_TARGET"}
