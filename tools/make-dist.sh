#!/usr/bin/env bash
# Packs the shipping saver (build/win32/Tamblorn.scr) with its read-me into
# build/Tamblorn.zip. The read-me is stored with a byte-order mark and Windows
# line ends so that Notepad shows its Japanese and English text correctly.
set -eu
cd "$(dirname "$0")/.."
program=build/win32/Tamblorn.scr
if [ ! -f "$program" ]; then
  echo "make-dist: $program is missing; run 'make win32' first" >&2
  exit 1
fi

stage=build/dist
rm -rf "$stage" build/Tamblorn.zip
mkdir -p "$stage"
cp "$program" "$stage/Tamblorn.scr"
{ printf '\357\273\277'; sed 's/\r*$/\r/' resources/README-dist.txt; } >"$stage/README.txt"
(cd "$stage" && zip -q -X ../Tamblorn.zip Tamblorn.scr README.txt)
rm -rf "$stage"
echo "make-dist: build/Tamblorn.zip"
unzip -l build/Tamblorn.zip
