#!/bin/sh
# Stand-in for the handheld's launcher in test builds: records that it ran, with its
# arguments and its working directory, in the file named by SCRIVELLE_LAUNCH_LOG.
[ -n "$SCRIVELLE_LAUNCH_LOG" ] || exit 0
{
    echo "argv0=$0"
    echo "argc=$#"
    echo "cwd=$(pwd)"
} > "$SCRIVELLE_LAUNCH_LOG"
