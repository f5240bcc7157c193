#!/usr/bin/env bash
# Builds every tree and runs every test: the native core tests, then the
# Windows tests and the end-to-end runs under Wine on a virtual display.
set -u
cd "$(dirname "$0")/.."
rm -f build/native-tests.log build/win32-tests.log build/windows-tests.log
JOBS=${JOBS:-2}
failed=0

make --no-print-directory native win32 || exit 1

# Windows tests run in the tree whose programs this machine's Wine can
# execute: the 32-bit tree where the kernel runs 32-bit Wine, else the
# same program built for 64-bit Windows.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  wine_tree=build/win32
else
  echo "run-tests: this kernel cannot run 32-bit Wine; Windows tests run in the 64-bit tree"
  make --no-print-directory win64 || exit 1
  wine_tree=build/win64
fi

echo "== native tests =="
(cd build/native && ctest --output-on-failure -j"$JOBS") | tee build/native-tests.log
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1

if [ "$wine_tree" != build/win32 ]; then
  echo "== checks of the 32-bit program (build/win32) =="
  (cd build/win32 && ctest --output-on-failure) | tee build/win32-tests.log
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
fi

echo "== Windows and end-to-end tests ($wine_tree) =="
display_pid=
if [ -z "${TAMBLORN_KEEP_DISPLAY:-}" ]; then
  for n in $(seq 60 89); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    display_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
  done
fi
# Keep one Wine server for the whole run so that each test starts quickly.
"$wine_tree/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1
WINEPREFIX="$PWD/$wine_tree/wineprefix" /usr/lib/wine/wineserver -p 2>/dev/null
(cd "$wine_tree" && ctest --output-on-failure) | tee build/windows-tests.log
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
WINEPREFIX="$PWD/$wine_tree/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null
[ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null

passed=0; failures=0
for log in build/native-tests.log build/win32-tests.log build/windows-tests.log; do
  [ -f "$log" ] || continue
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
  [ -n "$total" ] && { passed=$((passed + total - bad)); failures=$((failures + bad)); }
done
echo
echo "Summary: $passed passed, $failures failed"
[ "$failed" -eq 0 ] && [ "$failures" -eq 0 ]
