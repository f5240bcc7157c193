#!/usr/bin/env bash
# CPU of the Wayland program against the X11 program on outputs of the same
# size in one run (a benchmark, not a test):
#   tools/wayland-bench.sh [WAYLAND-PROGRAM] [X11-PROGRAM]
# The programs default to the package's build (`make deb`). The Wayland one
# burns on a headless sway with one 1024x768 output (run as the plain user
# tamblorn-user when this runs as root), the X11 one with -root on a 1024x768
# Xvfb. Prints the CPU share of each program and of its server over 20 s,
# for the text and for the bonfire.
set -u
cd "$(dirname "$0")/.."
wayland_program=$(realpath "${1:-build/deb/tamblorn-wayland}")
x11_program=$(realpath "${2:-build/deb/tamblorn}")
CPU_SECONDS=20

for program in "$wayland_program" "$x11_program"; do
  [ -x "$program" ] || { echo "wayland-bench: no program at $program (make deb)" >&2; exit 1; }
done

. tools/lib.sh
work=$(mktemp -d)
runtime=$work/runtime
children=()
sway_pid=
xvfb_pid=
stop_all() {
  for pid in "${children[@]}" $sway_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap stop_all EXIT

chmod 755 "$work"
echo 'output HEADLESS-1 resolution 1024x768' > "$work/sway.conf"
read -r socket sway_pid <<<"$(tamblorn_start_sway "$work/sway.conf" "$runtime")" || exit 1
[ -n "$sway_pid" ] || exit 1

display=$(TAMBLORN_OWNER_PID=$$ TAMBLORN_SCREEN=1024x768x24 tools/start-display.sh 500 540) || exit 1
read -r number xvfb_pid <<<"$display"

for mode in -no-bonfire -bonfire; do
  echo "CPU over ${CPU_SECONDS} s on a 1024x768 output, $mode:"
  tamblorn_measure_cpu tamblorn-wayland "$sway_pid" "$CPU_SECONDS" env XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" \
    XDG_CONFIG_HOME="$work" "$wayland_program" "$mode"
  tamblorn_measure_cpu "tamblorn -root" "$xvfb_pid" "$CPU_SECONDS" env DISPLAY=":$number" XDG_CONFIG_HOME="$work" "$x11_program" -root "$mode"
done
echo "  load average: $(cut -d' ' -f1-3 /proc/loadavg)"
