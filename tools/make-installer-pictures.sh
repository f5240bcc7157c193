#!/usr/bin/env bash
# Takes the README's pictures of the installer in Japanese under a virtual
# display: the first page, the page of parts, the finish page that offers the
# settings dialog, and the uninstaller's parts with the settings-file box.
# Uses the installer of the tree this machine's Wine runs (on a machine that
# cannot run 32-bit programs, the 64-bit test build of the same script).
set -eu
cd "$(dirname "$0")/.."
if /usr/lib/wine/wine --version >/dev/null 2>&1; then tree=build/win32; else tree=build/win64; fi
make --no-print-directory "${tree#build/}" >/dev/null
version=$(head -1 VERSION)
export TAMBLORN_WINE_PREFIX="$PWD/$tree/pictures-prefix"
rm -rf "$TAMBLORN_WINE_PREFIX"

for n in $(seq 340 380); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  break
done
trap 'WINEPREFIX="$TAMBLORN_WINE_PREFIX" /usr/lib/wine/wineserver -k 2>/dev/null; kill "$xvfb_pid" 2>/dev/null' EXIT
"$tree/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1

# The window of a title, once it shows; then the page in it once drawn.
window() { timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -1; }
shoot() { sleep 1; xwd -id "$1" -silent | /usr/bin/convert xwd:- "docs/$2"; echo "saved docs/$2"; }
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
