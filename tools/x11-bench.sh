#!/usr/bin/env bash
# Figures of the X11 program against the family's own fire program, xflame,
# on one 1024x768 virtual display in one run (a benchmark, not a test):
#   tools/x11-bench.sh [PROGRAM] [MEMORY_MINUTES]
# PROGRAM defaults to the package's build (build/deb/tamblorn, `make deb`).
# Prints the CPU share of each program and of the X server over 20 s, the
# program's resident memory after 1 and after MEMORY_MINUTES (10) minutes,
# and the time from start to the first frame on the screen.
set -u
cd "$(dirname "$0")/.."
. tools/lib.sh
program=${1:-build/deb/tamblorn}
memory_minutes=${2:-10}
xflame=/usr/libexec/xscreensaver/xflame
CPU_SECONDS=20
FIRST_FRAME_RUNS=10

[ -x "$program" ] || { echo "x11-bench: no program at $program (make deb)" >&2; exit 1; }
[ -x "$xflame" ] || { echo "x11-bench: no $xflame (xscreensaver-data-extra)" >&2; exit 1; }

display=$(TAMBLORN_OWNER_PID=$$ TAMBLORN_SCREEN=1024x768x24 tools/start-display.sh 500 540) || exit 1
read -r number xvfb_pid <<<"$display"
export DISPLAY=":$number"
export XDG_CONFIG_HOME=$(mktemp -d)
children=()
stop_all() {
  for pid in "${children[@]}"; do kill "$pid" 2>/dev/null; done
  kill "$xvfb_pid" 2>/dev/null
  rm -rf "$XDG_CONFIG_HOME"
}
trap stop_all EXIT

echo "CPU over ${CPU_SECONDS} s on a 1024x768 virtual display, -root:"
tamblorn_measure_cpu tamblorn "$xvfb_pid" "$CPU_SECONDS" "$program" -root
tamblorn_measure_cpu xflame "$xvfb_pid" "$CPU_SECONDS" "$xflame" -root

# The first frame: the run of one tick ends once its frame is on the server.
times=()
for _ in $(seq "$FIRST_FRAME_RUNS"); do
  start=$(date +%s%N)
  "$program" -root -ticks 1 >/dev/null 2>&1
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
echo "Start to first frame (one tick, then exit), $FIRST_FRAME_RUNS runs: $sorted ms" \
     "(least $(echo "$sorted" | cut -d' ' -f1) ms, median $(echo "$sorted" | cut -d' ' -f$((FIRST_FRAME_RUNS / 2))) ms)"
echo "  load average: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "Resident memory of tamblorn -root:"
"$program" -root >/dev/null 2>&1 &
pid=$!
children+=("$pid")
sleep 60
echo "  after 1 minute: $(awk '/VmRSS/ { print $2, $3 }' "/proc/$pid/status")"
if [ "$memory_minutes" -gt 1 ]; then
  sleep $(( (memory_minutes - 1) * 60 ))
  echo "  after $memory_minutes minutes: $(awk '/VmRSS/ { print $2, $3 }' "/proc/$pid/status")"
fi
