#!/usr/bin/env bash
# Takes docs/screen-linux.png: the X11 program in its own window on a virtual
# display, at full strength (38 s in, after the third jump, at (161, 180)).
#   tools/make-linux-picture.sh [PROGRAM]      (default build/deb/tamblorn)
set -u
cd "$(dirname "$0")/.."
program=${1:-build/deb/tamblorn}
FULL_STRENGTH_SECONDS=38
CROP=560x400+41+60

display=$(TAMBLORN_OWNER_PID=$$ tools/start-display.sh 560 600) || exit 1
read -r number xvfb_pid <<<"$display"
export DISPLAY=":$number" XDG_CONFIG_HOME=$(mktemp -d)
"$program" -seed 7 &
pid=$!
sleep "$FULL_STRENGTH_SECONDS"
xwd -root -silent | /usr/bin/convert xwd:- -crop "$CROP" +repage docs/screen-linux.png
status=$?
kill "$pid"
wait "$pid"
kill "$xvfb_pid"
rm -rf "$XDG_CONFIG_HOME"
[ "$status" -eq 0 ] && echo "docs/screen-linux.png"
