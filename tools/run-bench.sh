#!/usr/bin/env bash
# `make bench`: the native cell pass benchmark, then the Windows one under
# Wine. The Windows figures come from the shipped 32-bit build where this
# kernel runs 32-bit Wine, else from the same program built for 64-bit Windows.
set -u
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}

make --no-print-directory native win32 JOBS="$JOBS" >/dev/null || exit 1
echo "== native benchmark (build/native/flame_bench) =="
build/native/flame_bench || exit 1

. tools/lib.sh
if [ "$(tamblorn_wine_tree)" = win32 ]; then
  tree=build/win32
  echo "== Windows benchmark, 32-bit build ($tree/flame_bench.exe) under Wine =="
else
  make --no-print-directory win64 JOBS="$JOBS" >/dev/null || exit 1
  tree=build/win64
  echo "== Windows benchmark, 64-bit build ($tree/flame_bench.exe) under Wine: this kernel cannot run"
  echo "   32-bit Wine, so the 32-bit build/win32/flame_bench.exe is built but cannot be run here =="
fi
"$tree/wine-run.sh" "$tree/flame_bench.exe"
