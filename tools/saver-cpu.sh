#!/usr/bin/env bash
# Prints the CPU the full-screen saver costs: the saver process, the Wine
# server and the X server, over 20 s (SAVER_CPU_SECONDS) on a 1024x768 virtual
# display, once with the cell pass the processor gets and once with the scalar
# pass, next to what the benchmark says the pass itself takes. The rest of the
# saver process is the copy into the window and the timer and message loop;
# the X server's share is the copy drawn on the screen.
set -u
cd "$(dirname "$0")/.."
measure_seconds=${SAVER_CPU_SECONDS:-20}
ticks_per_second=10
canvas_cells=$((320 * 232))  # the default text canvas
clock_ticks=$(getconf CLK_TCK)

. tools/lib.sh
tree=$(tamblorn_built_wine_tree saver-cpu) || exit 1
saver="$tree/Tamblorn.scr"
# A prefix of its own, so the saver runs with the default settings.
export TAMBLORN_WINE_PREFIX="$tree/cpu-wineprefix"
rm -f "$(tamblorn_settings_path "$TAMBLORN_WINE_PREFIX")"

tamblorn_use_display 200 249 || exit 1
xvfb_pid=$TAMBLORN_DISPLAY_PID
finish() {
  tamblorn_stop_prefix "$TAMBLORN_WINE_PREFIX"
  kill "$xvfb_pid" 2>/dev/null
}
trap finish EXIT

# One Wine server for both runs.
tamblorn_keep_prefix_up "$tree"

# User and system time of a process in clock ticks.
cpu_ticks() {
  local stat
  [ -n "$1" ] || { echo 0; return; }
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
  echo "${stat##*) }" | awk '{print $12 + $13}'
}

# The process whose name matches $1 and that runs in our prefix (other saver
# runs may be going on with prefixes of their own).
find_process() {
  local pid
  for pid in $(pgrep -x "$1"); do
    if tr "\0" "\n" 2>/dev/null <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$TAMBLORN_WINE_PREFIX"; then
      echo "$pid"
      return
    fi
  done
}

percent() {
  awk -v t="$1" -v hz="$clock_ticks" -v s="$measure_seconds" 'BEGIN {printf "%6.2f %%", 100 * t / hz / s}'
}

# ns per cell of a level on the default canvas, from the Windows benchmark.
echo "saver-cpu: timing the cell pass with the Windows benchmark..."
bench=$("$tree/wine-run.sh" "$tree/flame_bench.exe")
pass_ns() {
  echo "$bench" | awk -v name="CellPass/$1/320x232" '$1 == name {print $4}'
}

measure() {
  local level=$1
  TAMBLORN_CELL_PASS=$level "$tree/wine-run.sh" "$saver" /s &
  local runner=$!
  if ! timeout 60 xdotool search --sync --onlyvisible --name '^Screen Saver$' >/dev/null; then
    echo "saver-cpu: the saver window did not appear" >&2
    kill "$runner" 2>/dev/null
    return 1
  fi
  local saver_pid server_pid
  saver_pid=$(find_process Tamblorn.scr)
  server_pid=$(find_process 'wineserver(64)?')
  if [ -z "$saver_pid" ] || [ -z "$server_pid" ]; then
    echo "saver-cpu: cannot find the saver or its Wine server" >&2
    xdotool key space
    wait "$runner"
    return 1
  fi
  local saver0 server0 x0 saver1 server1 x1
  saver0=$(cpu_ticks "$saver_pid"); server0=$(cpu_ticks "$server_pid"); x0=$(cpu_ticks "$xvfb_pid")
  sleep "$measure_seconds"
  saver1=$(cpu_ticks "$saver_pid"); server1=$(cpu_ticks "$server_pid"); x1=$(cpu_ticks "$xvfb_pid")
  xdotool key space
  wait "$runner"

  local ns
  ns=$(pass_ns "$level")
  echo
  echo "full-screen saver, cell pass $level, ${measure_seconds} s at 1024x768 (${tree#$PWD/} under Wine):"
  echo "  saver process          $(percent $((saver1 - saver0)))"
  echo "  Wine server            $(percent $((server1 - server0)))"
  echo "  X server (Xvfb)        $(percent $((x1 - x0)))"
  echo "  together               $(percent $((saver1 - saver0 + server1 - server0 + x1 - x0)))"
  awk -v ns="$ns" -v cells="$canvas_cells" -v tps="$ticks_per_second" 'BEGIN {
    printf "  of which the cell pass %6.2f %%  (%s ns per cell x %d cells x %d ticks a second)\n",
           ns * cells * tps / 1e7, ns, cells, tps }'
}

best=$(echo "$bench" | sed -n 's/.*processor supports up to \([a-z0-9]*\).*/\1/p')
measure "$best"
[ "$best" != scalar ] && measure scalar
exit 0
