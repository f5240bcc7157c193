#!/usr/bin/env bash
# Packs the shipping saver: build/Tamblorn-Setup-<version>.exe, the installer,
# and build/Tamblorn.zip with the same stripped Tamblorn.scr and its read-me.
# The 32-bit tree (build/win32) makes all three; see installer/ship.cmake.
set -eu
cd "$(dirname "$0")/.."
version=$(head -1 VERSION)
ship=build/win32/ship
installer="$ship/Tamblorn-Setup-$version.exe"
for file in "$ship/Tamblorn.scr" "$ship/README.txt" "$installer"; do
  if [ ! -f "$file" ]; then
    echo "make-dist: $file is missing; run 'make setup win32' first (the installer needs makensis)" >&2
    exit 1
  fi
done

rm -f build/Tamblorn.zip build/Tamblorn-Setup-*.exe
cp "$installer" build/
(cd "$ship" && zip -q -X ../../Tamblorn.zip Tamblorn.scr README.txt)
echo "make-dist: build/Tamblorn-Setup-$version.exe ($(stat -c %s "build/Tamblorn-Setup-$version.exe") bytes)"
echo "make-dist: build/Tamblorn.zip"
unzip -l build/Tamblorn.zip
