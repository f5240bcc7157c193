#!/usr/bin/env bash
# Builds the page into OUTDIR: the core and web/web_front.cpp as one standalone
# WebAssembly module (clang with wasi-libc: no script glue), the page, its
# script and the logs picture the programs use.
#   build-web.sh OUTDIR
# SETTINGS_TABLE names another engine/core/saver_settings.cpp to build with (the tests' altered table).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
CLANGXX=${CLANGXX:-clang++-14}
core=()
for source in "$root"/engine/core/*.cpp; do
  [ "$source" = "$root/engine/core/saver_settings.cpp" ] && source=${SETTINGS_TABLE:-$source}
  core+=("$source")
done
mkdir -p "$out"
"$CLANGXX" --target=wasm32-wasi -std=c++17 -Os -mexec-model=reactor -fno-exceptions -fno-rtti \
  -ffunction-sections -fdata-sections -ffile-prefix-map="$root/"= -Wall -Wextra \
  -I"$root/engine/core" \
  "${core[@]}" "$root/web/web_front.cpp" \
  -Wl,--gc-sections,--strip-all -o "$out/tamblorn.wasm.new"
mv "$out/tamblorn.wasm.new" "$out/tamblorn.wasm"
cp "$root/web/index.html" "$root/web/page.js" "$out/"
cp "$root/resources/logs.bmp" "$out/"
