#!/usr/bin/env bash
# Runs a Windows test on a virtual display of the given depth, in its own
# Wine prefix (a Wine server keeps the display it started with).
# Usage: at_display_depth.sh DEPTH PREFIX WINE_RUN PROGRAM [ARGUMENTS...]
set -u
. "$(dirname "$0")/../../tools/lib.sh"
depth=$1 prefix=$2 wine_run=$3
shift 3
TAMBLORN_SCREEN="1024x768x$depth" tamblorn_use_display 150 189 || exit 1
tamblorn_watch_prefix "$prefix"
trap 'tamblorn_stop_prefix "$prefix"; kill "$TAMBLORN_DISPLAY_PID" 2>/dev/null' EXIT
TAMBLORN_WINE_PREFIX="$prefix" "$wine_run" "$@"
