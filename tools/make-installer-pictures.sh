#!/usr/bin/env bash
# Takes the README's pictures of the installer in Japanese under a virtual
# display: the first page, the page of parts, the finish page that offers the
# settings dialog, and the uninstaller's parts with the settings-file box.
# Uses the installer of the tree this machine's Wine runs (on a machine that
# cannot run 32-bit programs, the 64-bit test build of the same script).
set -eu
cd "$(dirname "$0")/.."
. tools/lib.sh
tree=$(tamblorn_built_wine_tree make-installer-pictures)
version=$(head -1 VERSION)
export TAMBLORN_WINE_PREFIX="$tree/pictures-prefix"
rm -rf "$TAMBLORN_WINE_PREFIX"

tamblorn_use_display 340 380
trap 'tamblorn_stop_prefix "$TAMBLORN_WINE_PREFIX"; kill "$TAMBLORN_DISPLAY_PID" 2>/dev/null' EXIT
tamblorn_keep_prefix_up "$tree"

# The window of a title, once it shows; then the page in it once drawn.
window() { timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -1; }
shoot() { sleep 1; python3 tests/screen.py "$DISPLAY" "$1" | /usr/bin/convert ppm:- "docs/$2"; echo "saved docs/$2"; }
press() { xdotool windowfocus --sync "$1" key "$2"; }

"$tree/wine-run.sh" "$tree/ship/Tamblorn-Setup-$version.exe" >/dev/null 2>&1 &
setup=$(window "Tamblorn $version セットアップ")
shoot "$setup" installer-welcome.png
press "$setup" Return
shoot "$setup" installer-parts.png
press "$setup" Return
timeout 60 sh -c "until [ -f '$TAMBLORN_WINE_PREFIX/drive_c/Program Files/Tamblorn/uninstall.exe' ]; do sleep 0.2; done"
shoot "$setup" installer-finish.png
press "$setup" Escape

"$tree/wine-run.sh" 'C:\Program Files\Tamblorn\uninstall.exe' >/dev/null 2>&1 &
remove=$(window "Tamblorn $version アンインストール")
press "$remove" Return
shoot "$remove" uninstaller-parts.png
press "$remove" Escape
