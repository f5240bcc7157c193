#!/usr/bin/env bash
# Runs the full-screen saver on a virtual display for a long time and watches
# its memory and CPU:
#   tools/soak.sh [MINUTES]        (default 30)
# Samples every 10 s. Fails when the saver dies or its memory (resident, or
# its anonymous part: heap and other private allocations) grows past 1 % of
# what it used after the first minute. Writes
# build/soak/soak.csv and build/soak/soak.png (memory and CPU over time).
set -u
cd "$(dirname "$0")/.."
minutes=${1:-30}
SAMPLE_SECONDS=10
SETTLE_SECONDS=60
GROWTH_LIMIT_PERCENT=1
out=build/soak
csv=$out/soak.csv
plot=$out/soak.png
mkdir -p "$out"
total_seconds=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')
[ "$total_seconds" -gt "$SETTLE_SECONDS" ] || { echo "soak: run longer than a minute" >&2; exit 2; }

# The tree whose programs this machine's Wine can run, as the tests choose it.
. tools/lib.sh
tree_name=$(tamblorn_wine_tree)
tree=build/$tree_name
if [ -f "$tree/CMakeCache.txt" ]; then
  cmake --build "$tree" --target Tamblorn -j1 >/dev/null || exit 1
else
  make --no-print-directory "$tree_name" JOBS=1 >/dev/null || exit 1
fi
saver="$PWD/$tree/Tamblorn.scr"
prefix="$PWD/$tree/soak-prefix"
ticks_per_second=$(getconf CLK_TCK)

saver_pid=
wrapper_pid=
display_pid=
finish() {
  [ -n "$wrapper_pid" ] && kill "$wrapper_pid" 2>/dev/null
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  tamblorn_stop_prefix "$prefix"
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

tamblorn_use_display 260 299 || exit 1
display_pid=$TAMBLORN_DISPLAY_PID
export TAMBLORN_WINE_PREFIX="$prefix"
rm -f "$(tamblorn_settings_path "$prefix")"

# The saver runs with nothing else on the display.
tamblorn_keep_prefix_up "$tree"
"$tree/wine-run.sh" "$saver" /s >/dev/null 2>&1 &
wrapper_pid=$!
# The loader becomes the saver's process: the child of wine-run.sh named by the saver's path.
for _ in $(seq 200); do
  for child in $(pgrep -P "$wrapper_pid"); do
    [ "$(tr '\0' '\n' <"/proc/$child/cmdline" 2>/dev/null | head -1)" = "$saver" ] && saver_pid=$child
  done
  [ -n "$saver_pid" ] && break
  sleep 0.1
done
[ -n "$saver_pid" ] || { echo "soak: the saver did not start" >&2; exit 1; }

# Memory (kB) from /proc: resident in all, and the anonymous part (heap and
# other private allocations, where a leak shows). The kernel's split of pages
# into private and shared follows what other processes map, so it is not used.
memory_kb() {
  awk -v field="$2:" '$1 == field { print $2 }' "/proc/$1/status"
}
cpu_ticks() {
  # Fields 14 and 15 of /proc/PID/stat, counted after the command name's closing parenthesis.
  sed -E 's/^.*\) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

echo "seconds,anon_kb,rss_kb,cpu_percent" >"$csv"
echo "soak: saver pid $saver_pid on :$display_number for $minutes min; samples in $csv"
started=$(date +%s)
last_ticks=$(cpu_ticks "$saver_pid")
last_time=$started
baseline_anon=
baseline_rss=
peak_anon=0
peak_rss=0
died=0
while :; do
  now=$(date +%s)
  elapsed=$((now - started))
  [ "$elapsed" -ge "$total_seconds" ] && break
  sleep $((SAMPLE_SECONDS - (elapsed % SAMPLE_SECONDS)))
  if ! kill -0 "$saver_pid" 2>/dev/null; then
    died=1
    break
  fi
  now=$(date +%s)
  ticks=$(cpu_ticks "$saver_pid")
  anon=$(memory_kb "$saver_pid" RssAnon)
  rss=$(memory_kb "$saver_pid" VmRSS)
  cpu=$(awk -v t=$((ticks - last_ticks)) -v s=$((now - last_time)) -v hz="$ticks_per_second" \
    'BEGIN { printf "%.1f", (s > 0 ? 100 * t / hz / s : 0) }')
  last_ticks=$ticks
  last_time=$now
  elapsed=$((now - started))
  echo "$elapsed,$anon,$rss,$cpu" >>"$csv"
  if [ "$elapsed" -ge "$SETTLE_SECONDS" ]; then
    [ -n "$baseline_anon" ] || { baseline_anon=$anon; baseline_rss=$rss; }
    [ "$anon" -gt "$peak_anon" ] && peak_anon=$anon
    [ "$rss" -gt "$peak_rss" ] && peak_rss=$rss
  fi
done

# The saver ends on a key press, as it would for the user.
ended_by_key=0
if [ "$died" = 0 ]; then
  xdotool key space
  for _ in $(seq 50); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
  wait "$wrapper_pid"
  exit_code=$?
  wrapper_pid=
  kill -0 "$saver_pid" 2>/dev/null || { ended_by_key=1; saver_pid=; }
fi

gnuplot <<EOF
set terminal pngcairo size 900,500
set output '$plot'
set datafile separator ','
set key outside below horizontal
set xlabel 'seconds'
set ylabel 'memory (MB)'
set y2label 'CPU (% of one core)'
set y2tics
set ytics nomirror
set yrange [0:*]
set y2range [0:*]
set title 'Tamblorn full-screen saver: $minutes min on a virtual display'
plot '$csv' using 1:(\$2/1024) with lines title 'anonymous (heap)', \
     '' using 1:(\$3/1024) with lines title 'resident', \
     '' using 1:4 axes x1y2 with lines title 'CPU'
EOF

samples=$(($(wc -l <"$csv") - 1))
summary=$(awk -F, -v settle="$SETTLE_SECONDS" 'NR > 1 { n++; cpu += $4; if ($4 > cpumax) cpumax = $4; last = $0 }
  END { printf "cpu mean %.1f %%, max %.1f %%; last sample (s, anon kB, rss kB, cpu) %s", n ? cpu / n : 0, cpumax, last }' "$csv")
echo "soak: $samples samples; $summary; plot in $plot"
if [ "$died" = 1 ]; then
  echo "soak: FAILED - the saver died after $elapsed s" >&2
  exit 1
fi
if [ -z "$baseline_anon" ]; then
  echo "soak: FAILED - no sample after the first minute" >&2
  exit 1
fi
growth() {
  awk -v b="$1" -v p="$2" 'BEGIN { printf "%.2f", 100 * (p - b) / b }'
}
anon_growth=$(growth "$baseline_anon" "$peak_anon")
rss_growth=$(growth "$baseline_rss" "$peak_rss")
echo "soak: after the first minute anonymous $baseline_anon kB, peak $peak_anon kB (+$anon_growth %);" \
  "resident $baseline_rss kB, peak $peak_rss kB (+$rss_growth %); limit $GROWTH_LIMIT_PERCENT %"
failed=0
for growth_percent in "$anon_growth" "$rss_growth"; do
  if awk -v g="$growth_percent" -v l="$GROWTH_LIMIT_PERCENT" 'BEGIN { exit !(g > l) }'; then
    echo "soak: FAILED - memory grew past $GROWTH_LIMIT_PERCENT %" >&2
    failed=1
  fi
done
if [ "$ended_by_key" != 1 ] || [ "$exit_code" != 0 ]; then
  echo "soak: FAILED - the saver did not end with 0 on a key press" >&2
  failed=1
fi
[ "$failed" = 0 ] && echo "soak: passed; the saver ended with 0 on a key press"
exit "$failed"
