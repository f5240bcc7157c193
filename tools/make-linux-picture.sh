#!/usr/bin/env bash
# Takes the README's pictures of the X11 program on virtual displays, at full
# strength (38 s in, after the third jump):
#   docs/screen-linux.png         in its own window (at (161, 180))
#   docs/screen-linux-gothic.png  -font IPAGothic, cut to the fire, 8 s in
#                                 while the flames are low
#   docs/screen-linux-fit.png     -root -fit on a 3840 x 2160 screen, whole
#   tools/make-linux-picture.sh [PROGRAM]      (default build/deb/tamblorn)
set -u
cd "$(dirname "$0")/.."
program=${1:-build/deb/tamblorn}
FULL_STRENGTH_SECONDS=38
LOW_FLAMES_SECONDS=8
CROP=560x400+41+60
TRIMMED=(-trim +repage -bordercolor black -border 40)

# picture NAME SCREEN SECONDS "CONVERT OPTIONS" OPTIONS...
picture() {
  local name=$1 screen=$2 seconds=$3 display number xvfb_pid pid status
  read -r -a cut <<<"$4"
  shift 4
  display=$(TAMBLORN_OWNER_PID=$$ TAMBLORN_SCREEN=$screen tools/start-display.sh 560 600) || return 1
  read -r number xvfb_pid <<<"$display"
  DISPLAY=":$number" XDG_CONFIG_HOME=$config "$program" -seed 7 "$@" &
  pid=$!
  sleep "$seconds"
  python3 tests/screen.py ":$number" | /usr/bin/convert ppm:- "${cut[@]}" "docs/$name"
  status=$?
  kill "$pid"
  wait "$pid"
  kill "$xvfb_pid"
  [ "$status" -eq 0 ] && echo "docs/$name"
}

export LC_ALL=C.UTF-8  # the Japanese -text
config=$(mktemp -d)
# One at a time: the jumps follow the ticks, and a busy machine delays them.
picture screen-linux.png 1024x768x24 "$FULL_STRENGTH_SECONDS" "-crop $CROP +repage"
picture screen-linux-gothic.png 1024x768x24 "$LOW_FLAMES_SECONDS" "${TRIMMED[*]}" -font IPAGothic -text 'ゴシック体 Gothic'
picture screen-linux-fit.png 3840x2160x24 "$FULL_STRENGTH_SECONDS" "" -root -fit
rm -rf "$config"
