#!/usr/bin/env bash
# Takes the README's picture of the Wayland program on a headless sway with
# two outputs, 1024x768 and 1920x1080 at scale 2 (960x540 in the layout),
# each in its own pixels, after the first jump (12 s in):
#   docs/screen-wayland.png
#   tools/make-wayland-picture.sh [PROGRAM]   (default build/deb/tamblorn-wayland)
set -u
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/deb/tamblorn-wayland}")
JUMPED_SECONDS=12
. tools/lib.sh
work=$(mktemp -d)
trap 'kill $pid $sway_pid 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
echo 'output HEADLESS-1 resolution 1024x768' > "$work/sway.conf"
read -r socket sway_pid <<<"$(tamblorn_start_sway "$work/sway.conf" "$work/runtime")" || exit 1
export XDG_RUNTIME_DIR=$work/runtime WAYLAND_DISPLAY=$socket SWAYSOCK
SWAYSOCK=$(ls "$work"/runtime/sway-ipc.*.sock)
swaymsg create_output >/dev/null && swaymsg output HEADLESS-2 scale 2 >/dev/null
XDG_CONFIG_HOME=$work "$program" -seed 1 &
pid=$!
sleep "$JUMPED_SECONDS"
# Each output in its own pixels, side by side as in the layout (the second's
# 1920 x 1080 pixels are its 960 x 540 units at scale 2).
grim -o HEADLESS-1 "$work/first.png" && grim -o HEADLESS-2 "$work/second.png" &&
  /usr/bin/convert "$work/first.png" "$work/second.png" -background '#404040' +append docs/screen-wayland.png &&
  echo "saved docs/screen-wayland.png"
