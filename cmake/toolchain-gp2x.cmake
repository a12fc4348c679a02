# The handheld's own cross toolchain: GCC 4.1 with glibc 2.3 under
# /opt/open2x/gcc-4.1.1-glibc-2.3.6, tools prefixed arm-open2x-linux-, with SDL, SDL_image
# and SDL_ttf built into it and described by its sdl-config. Used by make gp2x.
#
# Everything is overridable, on the cmake command line (-DGP2X_ROOT=...) or, the first
# time, from the environment of the same name:
#   GP2X_ROOT        where the toolchain is installed
#   GP2X_PREFIX      prefix of its tools (arm-open2x-linux-)
#   GP2X_SDL_CONFIG  its sdl-config (looked for under GP2X_ROOT when not given)
#   GP2X_LIBS        the link libraries (default: SDL_ttf, SDL_image and their image and
#                    font libraries, then what sdl-config --static-libs says)
#   GP2X_FLOAT       the floating-point option (-msoft-float)
# The program is linked statically (and stripped): the firmware's libraries differ
# between models and cannot be relied on.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

macro(gp2x_setting name default doc)
    if(NOT DEFINED ${name})
        if(DEFINED ENV{${name}})
            set(${name} "$ENV{${name}}")
        else()
            set(${name} "${default}")
        endif()
    endif()
    set(${name} "${${name}}" CACHE STRING "${doc}")
endmacro()

gp2x_setting(GP2X_ROOT "/opt/open2x/gcc-4.1.1-glibc-2.3.6" "the handheld toolchain's folder")
gp2x_setting(GP2X_PREFIX "arm-open2x-linux-" "prefix of the handheld toolchain's tools")
gp2x_setting(GP2X_FLOAT "-msoft-float" "floating-point option of the handheld build")
# try_compile projects re-read this file without the cache: hand them the settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES GP2X_ROOT GP2X_PREFIX GP2X_FLOAT GP2X_SDL_CONFIG)

set(_gp2x_cxx "${GP2X_ROOT}/bin/${GP2X_PREFIX}g++")
if(NOT EXISTS "${_gp2x_cxx}")
    message(FATAL_ERROR "The handheld toolchain is not installed: no ${_gp2x_cxx}.\n"
        "Install it there, or say where it is: make gp2x GP2X_ROOT=<folder holding bin/> "
        "GP2X_PREFIX=<tool prefix> (or -DGP2X_ROOT=... -DGP2X_PREFIX=... for cmake).")
endif()
set(CMAKE_C_COMPILER "${GP2X_ROOT}/bin/${GP2X_PREFIX}gcc")
set(CMAKE_CXX_COMPILER "${_gp2x_cxx}")

string(REGEX REPLACE "-$" "" _gp2x_triple "${GP2X_PREFIX}")
set(CMAKE_FIND_ROOT_PATH "${GP2X_ROOT}" "${GP2X_ROOT}/${_gp2x_triple}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The handheld's processor (ARM920T, no floating-point unit), the usual optimisation.
set(CMAKE_C_FLAGS_INIT "-march=armv4t -mtune=arm920t ${GP2X_FLOAT}")
set(CMAKE_CXX_FLAGS_INIT "-march=armv4t -mtune=arm920t ${GP2X_FLOAT}")
# Cached before the platform sets its -O3 default, so -O2 it is.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
# Stripped too: the card's space is better spent on notes than on symbols.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s")
# CMake's compiler checks compile only: a test link would already need every library below.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The rest concerns SDL, which CMake's compiler checks do not need; their re-reading of
# this file must not point pkg-config at their own short-lived folder.
get_property(_gp2x_checking GLOBAL PROPERTY IN_TRY_COMPILE)
if(_gp2x_checking)
    return()
endif()

if(NOT GP2X_SDL_CONFIG AND DEFINED ENV{GP2X_SDL_CONFIG})
    set(GP2X_SDL_CONFIG "$ENV{GP2X_SDL_CONFIG}")
endif()
if(NOT GP2X_SDL_CONFIG)
    set(_gp2x_places "${GP2X_ROOT}/bin/sdl-config" "${GP2X_ROOT}/${_gp2x_triple}/bin/sdl-config"
        "${GP2X_ROOT}/usr/bin/sdl-config")
    foreach(p ${_gp2x_places})
        if(NOT GP2X_SDL_CONFIG AND EXISTS "${p}")
            set(GP2X_SDL_CONFIG "${p}")
        endif()
    endforeach()
    if(NOT GP2X_SDL_CONFIG)
        string(REPLACE ";" ", " _gp2x_places "${_gp2x_places}")
        message(FATAL_ERROR "The handheld toolchain has no sdl-config (looked at ${_gp2x_places}).\n"
            "Say where it is: make gp2x GP2X_SDL_CONFIG=<path> (or -DGP2X_SDL_CONFIG=... for cmake).")
    endif()
endif()
set(GP2X_SDL_CONFIG "${GP2X_SDL_CONFIG}" CACHE FILEPATH "the handheld toolchain's sdl-config")

function(gp2x_sdl_config out)
    execute_process(COMMAND "${GP2X_SDL_CONFIG}" ${ARGN} OUTPUT_VARIABLE v
        RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${GP2X_SDL_CONFIG} ${ARGN} failed")
    endif()
    set(${out} "${v}" PARENT_SCOPE)
endfunction()
gp2x_sdl_config(_gp2x_version --version)
gp2x_sdl_config(_gp2x_cflags --cflags)
gp2x_sdl_config(_gp2x_static --static-libs)

# The libraries go at the end of every link line, in dependency order, as -l options:
# with -static the linker then takes the archives. (Resolved through pkg-config, they
# would become full paths, shared libraries first.)
gp2x_setting(GP2X_LIBS "-lSDL_ttf -lSDL_image -lfreetype -lpng -ljpeg -lz ${_gp2x_static} -lm"
    "libraries of the handheld program, in link order")
set(CMAKE_CXX_STANDARD_LIBRARIES "${GP2X_LIBS}")

# The project asks pkg-config for sdl, SDL_image and SDL_ttf; the toolchain has only
# sdl-config, so stand-in descriptions carry its compile flags (and no libraries).
set(_gp2x_pc "${CMAKE_BINARY_DIR}/gp2x-pkgconfig")
foreach(m sdl SDL_image SDL_ttf)
    set(_cflags "")
    if(m STREQUAL "sdl")
        set(_cflags "${_gp2x_cflags}")
    endif()
    file(WRITE "${_gp2x_pc}/${m}.pc"
        "Name: ${m}\nDescription: from ${GP2X_SDL_CONFIG}\nVersion: ${_gp2x_version}\n"
        "Libs:\nCflags: ${_cflags}\n")
endforeach()
set(ENV{PKG_CONFIG_LIBDIR} "${_gp2x_pc}")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
