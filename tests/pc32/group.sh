#!/usr/bin/env bash
# What the emulated 32-bit PC checks of the shipped 32-bit files (run there by
# tools/pc32/run.sh, with the variables of tests/pc32/pc32.cmake): the same
# drivers as the native groups, the most telling cases first. One line per
# check in /pc32/out/results: name, exit code, seconds.
#
# The renderer's hashes (its bonfires against the native renderer's), the
# installer and the telling cases of the end-to-end groups (a key ends full
# screen, the dialog's OK and Cancel, a preview ends with its parent, the 9x
# family's password paths) run always, their waits stretched for an emulated
# PC; TAMBLORN_PC32_E2E=1 runs those groups whole (run.sh passes it on).
. /pc32/group.env
src=/pc32/src work=/pc32/work out=/pc32/out
# A check that hangs (once a Wine client lost its server in a PC on a machine
# at load 14) ends at this limit rather than holding the PC to its own.
CHECK_SECONDS=1200
check() {
  local name=$1 started=$SECONDS
  shift
  timeout -k 10 "$CHECK_SECONDS" bash -c '"$@"' check "$@" >"$out/$name.log" 2>&1
  echo "$name $? $((SECONDS - started))" >>"$out/results"
}
e2e() {
  python3 "$src/tests/e2e/run_e2e.py" --saver "$SAVER" --wine-run "$work/wine-run.sh" --build-dir "$work" \
    --launcher "$LAUNCHER" --preview-parent "$PREVIEW_PARENT" --inspector "$INSPECTOR" \
    --vanishing-parent "$VANISHING_PARENT" --logs-bitmap "$src/resources/logs.bmp" --render "$RENDER" \
    --verifier "$VERIFIER" --password-change "$PASSWORD_CHANGE" --group "$@"
}

export src work out
export -f e2e

# The renderer's runs share one Wine server (the other drivers keep their own up).
. "$src/tools/lib.sh"
tamblorn_make_prefix /usr/lib/wine/wine "$work/wineprefix"
WINEPREFIX="$work/wineprefix" "$TAMBLORN_WINE_DIR/wineserver" -p
check renderer cmake -DWINE_RUN="$work/wine-run.sh" -DRENDER="$RENDER" -DWORK_DIR="$work" \
  -DBONFIRE_HASH="$BONFIRE_HASH" -DNATIVE_HASHES="$NATIVE_HASHES" -P "$src/tests/win32/render_check.cmake"
check installer python3 "$src/tests/installer/run_installer.py" --installer "$INSTALLER" --program "$SAVER" \
  --old-program "$OLD_PROGRAM" --version "$VERSION" --readme "$README" --icon "$src/resources/tamblorn.ico" \
  --script "$src/installer/tamblorn.nsi" --makensis makensis --wine-run "$work/wine-run.sh" --build-dir "$work" \
  install_upgrade_and_uninstall japanese_pages
# Twelvefold: in a PC on a host at load 10 (a second suite and make stress beside
# it) a preview parent took over the sixfold 120 s to start the saver.
export TAMBLORN_WAIT_SCALE=${TAMBLORN_WAIT_SCALE:-12}
if [ "${TAMBLORN_PC32_E2E:-}" = 1 ]; then
  full_screen_cases= dialog_cases='title then_ok cancel'
else
  full_screen_cases=key_press dialog_cases='then_ok cancel'
fi
check full_screen e2e full_screen $full_screen_cases
check dialog e2e dialog $dialog_cases
check preview e2e preview ends_with_parent
check win9x e2e win9x
