#!/usr/bin/env bash
# Installs, only where missing, everything the build and the tests need on
# Debian bookworm (run as root). A second run installs nothing.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(
  cmake g++ make
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  googletest libgtest-dev libbenchmark-dev libstb-dev
  xvfb xdotool x11-apps imagemagick
  fonts-ipafont-mincho fonts-ipafont-gothic
  locales zip gnuplot-nox
  wine wine32:i386 wine64
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  nsis xserver-xephyr libxinerama1 libxinerama1:i386
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libfreetype-dev libfontconfig-dev
  lintian dpkg-dev xscreensaver xscreensaver-data-extra x11-utils procps
  qemu-system-x86 qemu-utils qemu-user-static debootstrap gcc-multilib e2fsprogs cpio
  clang-14 lld-14 wasi-libc libc++-14-dev-wasm32 libclang-rt-14-dev-wasm32
  chromium chromium-driver python3-selenium
  sway swayidle grim wtype libwayland-dev wayland-protocols
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

for p in "${packages[@]}"; do
  have_pkg "$p" || need+=("$p")
done

if [ "${#need[@]}" -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
# Wine takes code page 65001 from a locale that Windows gives no ANSI code page (the dialog's tests).
if ! locale -a 2>/dev/null | grep -qi '^hi_IN.utf8$'; then
  echo "setup: generating the hi_IN.UTF-8 locale"
  localedef -i hi_IN -f UTF-8 hi_IN.UTF-8
fi

# xscreensaver refuses to run as root: the tests run its daemon as this plain user.
if [ "$(id -u)" -eq 0 ] && ! id tamblorn-user >/dev/null 2>&1; then
  echo "setup: adding the plain user tamblorn-user for the xscreensaver daemon's tests"
  useradd --system --create-home --home-dir /var/lib/tamblorn-user --shell /usr/sbin/nologin tamblorn-user
fi

# Where the kernel refuses 32-bit programs, the tests run the shipped 32-bit
# files in an emulated 32-bit PC, built once per machine outside the clone.
. "$(dirname "$0")/lib.sh"
if ! tamblorn_loader_runs "$TAMBLORN_WINE_DIR/wine"; then
  bash "$(dirname "$0")/pc32/build-root.sh"
  bash "$(dirname "$0")/pc32/make-prefix.sh"
fi

echo "setup: everything is in place"
