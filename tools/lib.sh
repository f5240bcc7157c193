# The one place where the project's scripts and test drivers start a virtual
# display, choose the Windows tree this machine's Wine runs, make a Wine prefix
# and name the settings file. Sourced: `. tools/lib.sh` (tests/stage.py calls
# the same functions through tools/start-display.sh and tools/wine-tree.sh).

TAMBLORN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAMBLORN_WINE_DIR=/usr/lib/wine
# The file in the Windows folder where the saver keeps its settings.
TAMBLORN_SETTINGS_FILE_NAME=TamblornScrS
TAMBLORN_DISPLAY_TRIES=100   # times 0.05 s
TAMBLORN_SERVER_TRIES=5
TAMBLORN_SWAY_TRIES=600     # times 0.05 s: a busy machine starts sway slowly

# Whether this machine runs the Wine loader LOADER (the 32-bit one needs a
# kernel that runs 32-bit programs).
tamblorn_loader_runs() {
  "$1" --version >/dev/null 2>&1
}

# Prints win32 where this kernel runs 32-bit Wine, else win64: the 64-bit
# build of the same program is what the tests run there.
tamblorn_wine_tree() {
  if tamblorn_loader_runs "$TAMBLORN_WINE_DIR/wine"; then echo win32; else echo win64; fi
}

# Builds the tree chosen above (quietly) and prints its path; says so when it is not the 32-bit one.
tamblorn_built_wine_tree() {
  local name
  name=$(tamblorn_wine_tree)
  [ "$name" = win32 ] || echo "$1: this kernel cannot run 32-bit Wine; using the 64-bit build" >&2
  make -C "$TAMBLORN_ROOT" --no-print-directory "$name" >/dev/null || return 1
  echo "$TAMBLORN_ROOT/build/$name"
}

# The settings file of a prefix.
tamblorn_settings_path() {
  echo "$1/drive_c/windows/$TAMBLORN_SETTINGS_FILE_NAME"
}

# Starts an X server on the first free number from FIRST to LAST and prints
# "<number> <pid>" once it answers with the screen size it was asked for;
# returns 1 when none came up. The server is Xvfb with TAMBLORN_SCREEN
# (1024x768x24 by default); with TAMBLORN_NESTED_SCREENS (screens separated
# by blanks) it is a Xephyr inside $DISPLAY with those screens side by side as
# Xinerama heads, or where a screen ends in @X,Y, at that place of the root. The caller stops it with `kill <pid>`; it stops by itself
# when its owner ends (TAMBLORN_OWNER_PID, else this shell: tamblorn_watch).
tamblorn_start_display() {
  local first=$1 last=$2 n pid wanted command
  local screen=${TAMBLORN_SCREEN:-1024x768x24} nested=${TAMBLORN_NESTED_SCREENS:-}
  # xdotool answers the size of the first screen (the first head with Xinerama).
  [ -n "$nested" ] && screen=${nested%% *}
  wanted=$(echo "$screen" | sed -E 's/^([0-9]+)x([0-9]+).*/\1 \2/')
  for n in $(seq "$first" "$last"); do
    # A lock or a socket means another server has (or had) the number; a socket
    # left by a dead server is not a live display, but neither is it ours.
    [ -e "/tmp/.X$n-lock" ] && continue
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    # -noreset: a server resets when its last client leaves, and a client
    # that connects during the reset is turned away ("cannot open display").
    if [ -n "$nested" ]; then
      command=(Xephyr ":$n" +xinerama -noreset -nolisten tcp)
      for screen in $nested; do
        [[ $screen == *@* ]] && command+=(-origin "${screen#*@}")
        command+=(-screen "${screen%@*}")
      done
    else
      command=(Xvfb ":$n" -screen 0 "$screen" -noreset -nolisten tcp)
    fi
    setsid "${command[@]}" </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq "$TAMBLORN_DISPLAY_TRIES"); do
      kill -0 "$pid" 2>/dev/null || break
      if [ -S "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ] &&
         [ "$(DISPLAY=":$n" timeout 5 xdotool getdisplaygeometry 2>/dev/null)" = "$wanted" ]; then
        tamblorn_watch "${TAMBLORN_OWNER_PID:-$$}" --pid "$pid"
        echo "$n $pid"
        return 0
      fi
      sleep 0.05
    done
    # Lost a race for the number, or the server never answered: try the next one.
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  echo "start-display: no virtual display could be started on :$first to :$last" >&2
  return 1
}

# Whether the process PID runs (one that has ended but is not yet reaped does not).
tamblorn_process_runs() {
  local state
  state=$(sed -E 's/.*\) (.).*/\1/' "/proc/$1/stat" 2>/dev/null) && [ "$state" != Z ]
}

# Starts tools/watchdog.py OWNER ARGUMENTS... outside this process's tree and
# session: it ends what it is given once OWNER has ended, also when OWNER is
# killed with everything below it (as CTest does at a test's time limit).
tamblorn_watch() {
  ( setsid python3 "$TAMBLORN_ROOT/tools/watchdog.py" "$@" </dev/null >/dev/null 2>&1 & )
}

# Starts a display as above and exports DISPLAY; its server's pid goes to TAMBLORN_DISPLAY_PID.
tamblorn_use_display() {
  local found number
  found=$(tamblorn_start_display "$1" "$2") || return 1
  read -r number TAMBLORN_DISPLAY_PID <<<"$found"
  export DISPLAY=":$number"
}

# Stops the Wine server of a prefix (and with it every program running there).
tamblorn_stop_prefix() {
  [ -d "$1" ] && WINEPREFIX="$1" "$TAMBLORN_WINE_DIR/wineserver" -k 2>/dev/null
  return 0
}

# Makes the Wine prefix PREFIX for the loader LOADER when it is not there yet,
# as a copy of the template prefix TEMPLATE (by default wineprefix-template
# beside PREFIX), which is made once with wineboot (several
# seconds, where a copy takes a fraction of one). Windows are unmanaged: without
# a window manager Wine otherwise waits two seconds for every top-level window
# it hides. Safe when several runs make the same prefix at once.
tamblorn_make_prefix() {
  local loader=$1 prefix=$2
  local template=${3:-$(dirname "$2")/wineprefix-template}
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    [ -f "$prefix/system.reg" ] && exit 0
    (
      flock 8
      if [ ! -f "$template/made" ]; then
        rm -rf "$template"
        export WINEPREFIX="$template"
        "$loader" wineboot -i >/dev/null 2>&1
        "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        "$TAMBLORN_WINE_DIR/wineserver" -w
        touch "$template/made"
      fi
    ) 8>"$template.lock"
    rm -rf "$prefix" "$prefix.new"
    tamblorn_copy_prefix "$template" "$prefix.new" && rm -f "$prefix.new/made" && mv "$prefix.new" "$prefix"
  ) 9>"$prefix.lock"
}

# Copies a prefix. The system libraries (nine tenths of it, and written by
# nothing once the prefix is made) become hard links, not copies.
tamblorn_copy_prefix() {
  local from=$1 to=$2 libraries
  mkdir -p "$to" || return 1
  tar -C "$from" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 -cf - . |
    tar -C "$to" -xf - || return 1
  for libraries in system32 syswow64; do
    if [ -e "$from/drive_c/windows/$libraries" ]; then
      cp -al "$from/drive_c/windows/$libraries" "$to/drive_c/windows/" || return 1
    fi
  done
}

# Keeps the Wine server of the made prefix PREFIX up until it is stopped, so
# that each later program starts quickly and none meets a server on its way
# out (tamblorn_watch_prefix stops it with its owner). A server that a program
# started ends when its last program has (Debian's wineserver runs with -p0),
# a program connecting just then is cut off ("wine client error:0: recvmsg:
# Connection reset by peer"), and `wineserver -p` leaves a running server as it
# is (it exits with 2): so that one is waited out and a lasting one started.
# An owner that ended meanwhile has had the prefix stopped by its watchdog
# already: the lasting server started after that is stopped here.
tamblorn_hold_prefix() {
  local prefix=$1 owner=${TAMBLORN_OWNER_PID:-$$}
  for _ in $(seq "$TAMBLORN_SERVER_TRIES"); do
    WINEPREFIX="$prefix" timeout 60 "$TAMBLORN_WINE_DIR/wineserver" -w
    if WINEPREFIX="$prefix" "$TAMBLORN_WINE_DIR/wineserver" -p 2>/dev/null; then
      tamblorn_process_runs "$owner" && return 0
      tamblorn_stop_prefix "$prefix"
      return 1
    fi
  done
  echo "hold-prefix: no lasting Wine server for $prefix" >&2
  return 1
}

# The Wine server of PREFIX, and every program there, ends when the owner
# (TAMBLORN_OWNER_PID, else this shell) does.
tamblorn_watch_prefix() {
  tamblorn_watch "${TAMBLORN_OWNER_PID:-$$}" --prefix "$1" --wineserver "$TAMBLORN_WINE_DIR/wineserver"
}

# Makes the prefix TAMBLORN_WINE_PREFIX through the tree TREE's wine-run.sh
# and holds its Wine server up as above for this shell's life.
tamblorn_keep_prefix_up() {
  tamblorn_watch_prefix "$TAMBLORN_WINE_PREFIX"
  "$1/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1
  tamblorn_hold_prefix "$TAMBLORN_WINE_PREFIX"
}

# Starts a headless sway with the config file CONFIG and the new runtime
# folder RUNTIME (made here; as the plain user tamblorn-user when run as
# root: sway refuses root) and prints "SOCKET PID" once its sockets are
# there. It ends with the calling script (TAMBLORN_OWNER_PID, else this
# shell) and carries TAMBLORN_MARK and TAMBLORN_RUN_MARK, by which a test
# and make test find what they started.
tamblorn_start_sway() {
  local config=$1 runtime=$2 pid socket as_user=()
  mkdir -m 700 "$runtime" || return 1
  if [ "$(id -u)" -eq 0 ]; then
    chown tamblorn-user "$runtime"
    as_user=(runuser -u tamblorn-user --)
  fi
  setsid "${as_user[@]}" env -i PATH="$PATH" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 TAMBLORN_MARK="${TAMBLORN_MARK:-}" \
    TAMBLORN_RUN_MARK="${TAMBLORN_RUN_MARK:-}" \
    sway -c "$config" >"$runtime.log" 2>&1 &
  for _ in $(seq "$TAMBLORN_SWAY_TRIES"); do
    pid=$(pgrep -f -n "^sway -c $config\$") && socket=$(cd "$runtime" && ls wayland-? 2>/dev/null) &&
      ls "$runtime"/sway-ipc.*.sock >/dev/null 2>&1 && break
    sleep 0.05
  done
  if [ -z "${pid:-}" ] || [ -z "${socket:-}" ] || ! ls "$runtime"/sway-ipc.*.sock >/dev/null 2>&1; then
    echo "no sway came up: $(tail -3 "$runtime.log")" >&2
    return 1
  fi
  tamblorn_watch "${TAMBLORN_OWNER_PID:-$$}" --pid "$pid"
  echo "$socket $pid"
}

# The benchmarks' CPU figure: runs the command for CPU_SECONDS after a second to settle and prints its CPU
# and that of its server (the process SERVER_PID), in per cent of one core. The command's process is added
# to the caller's array `children`, which its exit trap ends.
#   tamblorn_measure_cpu LABEL SERVER_PID CPU_SECONDS COMMAND...
tamblorn_measure_cpu() {
  local label=$1 server=$2 seconds=$3; shift 3
  "$@" >/dev/null 2>&1 &
  local pid=$!
  children+=("$pid")
  sleep 1
  local before after
  before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" "/proc/$server/stat" | paste -sd' ')
  sleep "$seconds"
  after=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" "/proc/$server/stat" | paste -sd' ')
  kill "$pid"; wait "$pid" 2>/dev/null
  awk -v before="$before" -v after="$after" -v t="$(getconf CLK_TCK)" -v n="$seconds" -v label="$label" \
      'BEGIN { split(before, b, " "); split(after, a, " "); p = (a[1] - b[1]) / t / n; s = (a[2] - b[2]) / t / n
               printf "%-17s CPU %6.2f %%  its server %6.2f %%  together %6.2f %%\n", label, 100 * p, 100 * s, 100 * (p + s) }'
}
