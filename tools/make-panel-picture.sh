#!/usr/bin/env bash
# Takes docs/xscreensaver-settings.png: xscreensaver's settings program with
# Tamblorn chosen and its settings dialog open, on a virtual display, as a
# user whose settings file says SIZE=48 and LOOP=1 and whose ~/.xscreensaver
# asks for -size 32 -no-loop. Needs the package installed (make deb; apt
# install ./build/tamblorn_*.deb) and, as root, the plain user of
# tools/setup.sh: xscreensaver refuses root.
set -u
cd "$(dirname "$0")/.."
[ -f /usr/share/xscreensaver/config/tamblorn.xml ] || { echo "make-panel-picture: install the package first" >&2; exit 1; }
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(runuser -u tamblorn-user --)
# Without a window manager the main window takes the screen's width and the
# dialog opens beyond it: the main window is narrowed and the dialog moved
# beside it (a second resize makes it draw).
SETTINGS_BUTTON=(1408 630)
MAIN_SIZE=(1280 746)
DIALOG_PLACE=(1288 0)
DIALOG_SIZE=(548 559)
CROP=1836x746+0+0
WAIT_SECONDS=40

display=$(TAMBLORN_OWNER_PID=$$ TAMBLORN_SCREEN=1920x1080x24 tools/start-display.sh 580 620) || exit 1
read -r number xvfb_pid <<<"$display"
home=$(mktemp -d)
mkdir -p "$home/.config/tamblorn"
printf '[FONT]\nSIZE=48\n[FLAME]\nLOOP=1\n' >"$home/.config/tamblorn/TamblornScrS"
printf 'mode: one\nselected: 0\nlock: False\nsplash: False\ntimeout: 1:00:00\nprograms: \\\n  tamblorn -root -size 32 -no-loop \\n\n' >"$home/.xscreensaver"
[ "${#as_user[@]}" -gt 0 ] && chown -R tamblorn-user "$home"
export DISPLAY=":$number"
run() { (cd "$home" && exec "${as_user[@]}" env HOME="$home" LC_ALL=C.UTF-8 "$@"); }
run xscreensaver -no-splash >/dev/null 2>&1 &
daemon=$!
run xscreensaver-settings >/dev/null 2>&1 &
settings=$!
windows() { xdotool search --onlyvisible --name '^XScreenSaver: Tamblorn Settings$' 2>/dev/null; }
for _ in $(seq "$WAIT_SECONDS"); do [ "$(windows | wc -l)" -ge 1 ] && break; sleep 1; done
main=$(windows | head -1)
sleep 3  # the preview's first flames
xdotool mousemove "${SETTINGS_BUTTON[@]}" click 1
for _ in $(seq "$WAIT_SECONDS"); do [ "$(windows | wc -l)" -ge 2 ] && break; sleep 1; done
dialog=$(windows | grep -vx "$main" | head -1)
xdotool windowsize --sync "$main" "${MAIN_SIZE[@]}"
xdotool windowmove --sync "$dialog" "${DIALOG_PLACE[@]}"
xdotool windowsize "$dialog" "${DIALOG_SIZE[@]}"
sleep 3
python3 tests/screen.py "$DISPLAY" | /usr/bin/convert ppm:- -crop "$CROP" +repage docs/xscreensaver-settings.png
status=$?
kill "$settings" "$daemon" 2>/dev/null
wait
kill "$xvfb_pid"
rm -rf "$home"
[ "$status" -eq 0 ] && echo "docs/xscreensaver-settings.png"

# MATE's preferences (apt-get install --no-install-recommends mate-screensaver),
# which list the savers by their .desktop entries: Tamblorn chosen by typing
# its name into the list.
command -v mate-screensaver-preferences >/dev/null || exit "$status"
THEME_ROW=(51 95)
CLOSE_BUTTON=(577 534)
MATE_CROP=627x340+0+0
display=$(TAMBLORN_OWNER_PID=$$ TAMBLORN_SCREEN=1280x1024x24 tools/start-display.sh 580 620) || exit 1
read -r number xvfb_pid <<<"$display"
export DISPLAY=":$number" XDG_CURRENT_DESKTOP=MATE NO_AT_BRIDGE=1
home=$(mktemp -d)
HOME=$home dbus-run-session -- mate-screensaver-preferences >/dev/null 2>&1 &
session=$!
for _ in $(seq "$WAIT_SECONDS"); do xdotool search --onlyvisible --name '^Screensaver Preferences$' >/dev/null && break; sleep 1; done
xdotool mousemove "${THEME_ROW[@]}" click 1
xdotool type --delay 80 Tamblorn
xdotool key Return
sleep 6
python3 tests/screen.py "$DISPLAY" | /usr/bin/convert ppm:- -crop "$MATE_CROP" +repage docs/mate-screensaver-preferences.png &&
  echo docs/mate-screensaver-preferences.png
xdotool mousemove "${CLOSE_BUTTON[@]}" click 1  # the session's bus ends with the program
wait "$session"
kill "$xvfb_pid"
rm -rf "$home"
