#!/bin/sh
# Stand-in for the handheld's launcher in test builds: records that it ran, with its
# arguments, its working directory and the descriptors it inherited, in the file named
# by SCRIVELLE_LAUNCH_LOG.
[ -n "$SCRIVELLE_LAUNCH_LOG" ] || exit 0
{
    echo "argv0=$0"
    echo "argc=$#"
    echo "cwd=$(pwd)"
    # The inherited descriptors are those a child of this shell still holds: the shell's
    # own (its script, saved outputs) are close-on-exec. readlink opens none of its own.
    for fd in /proc/$$/fd/*; do
        fd=${fd##*/}
        if readlink "/proc/self/fd/$fd" >/dev/null 2>&1; then
            printf 'fd%s=' "$fd"
            readlink "/proc/self/fd/$fd"
        fi
    done
} > "$SCRIVELLE_LAUNCH_LOG"
