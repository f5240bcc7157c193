#!/usr/bin/env bash
# Runs the saver for `make run` (arguments as on its command line, /s when none).
# With a display ($DISPLAY set) the saver simply runs there. Without one it runs
# on a virtual screen: about 15 s burning text, then 15 s bonfire, with
# screenshots under build/screens, each ended by a key press; the configure
# switch (/c) gives one screenshot of the dialog, which is then cancelled.
set -u
cd "$(dirname "$0")/.."
[ $# -eq 0 ] && set -- /s

. tools/lib.sh
tree=$(tamblorn_built_wine_tree run-saver) || exit 1
saver="$tree/Tamblorn.scr"

if [ -n "${DISPLAY:-}" ]; then
  exec "$tree/wine-run.sh" "$saver" "$@"
fi

shots="$PWD/build/screens"
prefix="$tree/wineprefix"
settings=$(tamblorn_settings_path "$prefix")
saved_settings="$shots/$TAMBLORN_SETTINGS_FILE_NAME.saved"
mkdir -p "$shots"

tamblorn_use_display 150 199 || exit 1
xvfb_pid=$TAMBLORN_DISPLAY_PID

# The settings file is changed only for the demonstration and put back afterwards.
had_settings=0
if [ -f "$settings" ]; then
  cp -p "$settings" "$saved_settings"
  had_settings=1
fi
finish() {
  if [ "$had_settings" = 1 ]; then mv -f "$saved_settings" "$settings"; else rm -f "$settings"; fi
  tamblorn_stop_prefix "$prefix"
  kill "$xvfb_pid" 2>/dev/null
}
trap finish EXIT

shoot() {
  python3 tests/screen.py "$DISPLAY" | /usr/bin/convert ppm:- "$1" && echo "run-saver: $1"
}

# The user's settings with the fire mode replaced: the section "WHITCH" holds only "FIRE".
write_fire_mode() {
  mkdir -p "$(dirname "$settings")"
  {
    [ "$had_settings" = 1 ] && grep -aviE '^[[:space:]]*(\[WHITCH\]|FIRE[[:space:]]*=)' "$saved_settings"
    printf '[WHITCH]\r\nFIRE=%d\r\n' "$1"
  } >"$settings.new"
  mv -f "$settings.new" "$settings"
}

# Starts the saver, takes a screenshot at each of the given seconds, then presses a key.
run_and_shoot() {
  local name=$1; shift
  local started=$SECONDS
  "$tree/wine-run.sh" "$saver" "$@" &
  local saver_pid=$!
  for at in 3 9 14; do
    while [ $((SECONDS - started)) -lt "$at" ]; do sleep 0.2; done
    kill -0 "$saver_pid" 2>/dev/null || break
    shoot "$shots/$name-${at}s.png"
  done
  xdotool key space
  for _ in $(seq 50); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$saver_pid" 2>/dev/null; then
    echo "run-saver: the saver did not end on a key press" >&2
    kill "$saver_pid" 2>/dev/null
  fi
  wait "$saver_pid"
  echo "run-saver: $name ended with exit code $?"
}

# Opens the dialog, takes a screenshot and cancels it with Escape.
run_dialog() {
  "$tree/wine-run.sh" "$saver" "$@" &
  local saver_pid=$!
  sleep 4
  shoot "$shots/dialog.png"
  xdotool key Escape
  for _ in $(seq 50); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$saver_pid" 2>/dev/null
  wait "$saver_pid"
  echo "run-saver: the dialog ended with exit code $?"
}

TAMBLORN_WINE_PREFIX=$prefix tamblorn_keep_prefix_up "$tree"
case "$(echo "$1" | sed 's/^[-/ ]*//' | cut -c1)" in
  c|C|"")
    run_dialog "$@" ;;
  s|S)
    write_fire_mode 0
    run_and_shoot text "$@"
    write_fire_mode 1
    run_and_shoot bonfire "$@" ;;
  *)
    run_and_shoot saver "$@" ;;
esac
echo "run-saver: screenshots are in $shots"
