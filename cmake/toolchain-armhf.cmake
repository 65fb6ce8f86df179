# Cross build for the ARMv7 board (arm-linux-gnueabihf) with Debian's cross
# compiler and Debian's own armhf Qt installed through multiarch
# (dpkg --add-architecture armhf). The armhf Qt packages put their libraries,
# headers and CMake files under .../arm-linux-gnueabihf/, beside the host's,
# and their CMake files name the host's moc, rcc and qmlcachegen (/usr/lib/qt5/bin),
# so the host tools generate the code and the cross compiler builds it.
#
#   cmake -S . -B build-arm -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armhf.cmake
#
# scripts/build-arm.sh installs the packages and runs this.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

set(ZUM_CROSS_PREFIX arm-linux-gnueabihf-)
set(CMAKE_C_COMPILER ${ZUM_CROSS_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${ZUM_CROSS_PREFIX}g++)
set(CMAKE_STRIP ${ZUM_CROSS_PREFIX}strip CACHE FILEPATH "")

# No sysroot: CMAKE_LIBRARY_ARCHITECTURE makes find_package and find_library
# look in the armhf multiarch folders (/usr/lib/arm-linux-gnueabihf) rather
# than the host's; programs (moc, rcc, qmlcachegen, qmllint) are the host's.

# Test programs run under user-mode emulation. No library prefix (-L or
# QEMU_LD_PREFIX): the emulator then takes the armhf loader and libraries
# from the multiarch folders of the host, where threads work.
find_program(ZUM_QEMU_ARM NAMES qemu-arm-static qemu-arm)
if(ZUM_QEMU_ARM)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZUM_QEMU_ARM})
endif()
