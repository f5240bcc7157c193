#!/usr/bin/env bash
# Runs a Windows test on a virtual display of the given depth, in its own
# Wine prefix (a Wine server keeps the display it started with).
# Usage: at_display_depth.sh DEPTH PREFIX WINE_RUN PROGRAM [ARGUMENTS...]
set -u
depth=$1 prefix=$2 wine_run=$3
shift 3
display_pid=
for n in $(seq 150 189); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 "1024x768x$depth" -nolisten tcp >/dev/null 2>&1 &
  display_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  if kill -0 "$display_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
    break
  fi
  display_pid=
done
if [ -z "$display_pid" ]; then
  echo "at_display_depth: no virtual display of depth $depth came up" >&2
  exit 1
fi
stop() {
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null
  kill "$display_pid" 2>/dev/null
}
trap stop EXIT
DISPLAY=":$n" TAMBLORN_WINE_PREFIX="$prefix" "$wine_run" "$@"
