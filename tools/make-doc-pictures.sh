#!/usr/bin/env bash
# Renders the README's pictures of the burning text and the bonfire with the
# frame renderer, from a fixed seed.
set -eu
cd "$(dirname "$0")/.."
. tools/lib.sh
tree=build/$(tamblorn_wine_tree)
make --no-print-directory "${tree#build/}" >/dev/null 2>&1 || cmake --build "$tree" --target tamblorn-render >/dev/null
mkdir -p docs
"$tree/wine-run.sh" "$tree/tamblorn-render.exe" --seed 879 --ticks 420 --png 'Z:'"$PWD"'/docs/render-text.png'
"$tree/wine-run.sh" "$tree/tamblorn-render.exe" --bonfire --seed 879 --ticks 420 --png 'Z:'"$PWD"'/docs/render-bonfire.png'
