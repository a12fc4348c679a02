# Debian's armel cross compiler (crossbuild-essential-armel) against the armel SDL and
# GoogleTest that scripts/armel-sysroot lays out: the ARM check build of make test-arm,
# whose programs run under qemu-user. As on the handheld, char is unsigned there, and the
# program is compiled for the handheld's processor.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armel.cmake -DARMEL_SYSROOT=DIR/root ...
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(ARMEL_PREFIX "arm-linux-gnueabi-" CACHE STRING "prefix of the armel cross tools")
set(ARMEL_SYSROOT "$ENV{ARMEL_SYSROOT}" CACHE PATH "the root that scripts/armel-sysroot made")
set(ARMEL_QEMU "qemu-arm" CACHE STRING "qemu-user for ARM")
# try_compile projects re-read this file without the cache: hand them the settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ARMEL_PREFIX ARMEL_SYSROOT ARMEL_QEMU)

if(NOT ARMEL_SYSROOT OR NOT EXISTS "${ARMEL_SYSROOT}/usr/include/SDL/SDL.h")
    message(FATAL_ERROR "ARMEL_SYSROOT='${ARMEL_SYSROOT}' holds no armel SDL: "
        "run scripts/armel-sysroot DIR and pass -DARMEL_SYSROOT=DIR/root (make test-arm does both)")
endif()

set(CMAKE_C_COMPILER "${ARMEL_PREFIX}gcc")
set(CMAKE_CXX_COMPILER "${ARMEL_PREFIX}g++")

set(_multiarch "${ARMEL_SYSROOT}/usr/lib/arm-linux-gnueabi")
set(CMAKE_C_FLAGS_INIT "-march=armv4t -mtune=arm920t -mfloat-abi=soft -D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-march=armv4t -mtune=arm920t -mfloat-abi=soft -D_FILE_OFFSET_BITS=64")
# SDL's own dependencies (X11, ALSA, PulseAudio) are resolved from the root at link time.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,-rpath-link,${_multiarch}:${ARMEL_SYSROOT}/lib/arm-linux-gnueabi:${_multiarch}/pulseaudio")

set(CMAKE_FIND_ROOT_PATH "${ARMEL_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for the root, not for this machine.
set(ENV{PKG_CONFIG_LIBDIR} "${_multiarch}/pkgconfig:${ARMEL_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${ARMEL_SYSROOT}")
set(ENV{PKG_CONFIG_PATH} "")

# CTest runs the test programs through qemu-user, with the root as their /.
set(CMAKE_CROSSCOMPILING_EMULATOR "${ARMEL_QEMU};-L;${ARMEL_SYSROOT}")
