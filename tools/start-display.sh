#!/usr/bin/env bash
# Starts a virtual X display (Xvfb) on the first free number of a range and
# prints "<number> <pid>" once the server answers; exits 1 when none came up.
#   tools/start-display.sh [FIRST [LAST]]      (default 100 199)
# TAMBLORN_SCREEN sets the screen, 1024x768x24 by default. The caller stops
# the server with `kill <pid>`.
set -u
first=${1:-100}
last=${2:-199}
screen=${TAMBLORN_SCREEN:-1024x768x24}
wanted_size=$(echo "$screen" | sed -E 's/^([0-9]+)x([0-9]+).*/\1 \2/')
START_TRIES=100   # times 0.05 s

# A display answers when a client can connect and read its screen size.
answers() {
  [ "$(DISPLAY=":$1" timeout 5 xdotool getdisplaygeometry 2>/dev/null)" = "$wanted_size" ]
}

for n in $(seq "$first" "$last"); do
  # A lock or a socket means another server has (or had) the number; a socket
  # left by a dead server is not a live display, but neither is it ours.
  [ -e "/tmp/.X$n-lock" ] && continue
  [ -e "/tmp/.X11-unix/X$n" ] && continue
  setsid Xvfb ":$n" -screen 0 "$screen" -nolisten tcp </dev/null >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq "$START_TRIES"); do
    kill -0 "$pid" 2>/dev/null || break
    if [ -S "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ] && answers "$n"; then
      echo "$n $pid"
      exit 0
    fi
    sleep 0.05
  done
  # Lost a race for the number, or the server never answered: try the next one.
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
done
echo "start-display: no virtual display could be started on :$first to :$last" >&2
exit 1
