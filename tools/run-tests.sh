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
wine_prefix="$PWD/$wine_tree/wineprefix"
# Stops the display and the Wine servers of this tree's prefixes, also when interrupted.
stop_stage() {
  for prefix in "$wine_prefix" "$PWD/$wine_tree"/e2e-prefix*; do
    [ -d "$prefix" ] && WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null
  done
  if [ -n "$display_pid" ]; then
    kill "$display_pid" 2>/dev/null
    display_pid=
  fi
}
trap 'stop_stage; exit 130' INT
trap 'stop_stage; exit 143' TERM
trap stop_stage EXIT
if [ -z "${TAMBLORN_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
  display=$(tools/start-display.sh 60 89) || { echo "run-tests: no virtual display came up" >&2; exit 1; }
  read -r display_number display_pid <<<"$display"
  export DISPLAY=":$display_number"
fi
# Keep one Wine server for the whole run so that each test starts quickly.
"$wine_tree/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1
WINEPREFIX="$wine_prefix" /usr/lib/wine/wineserver -p 2>/dev/null
rm -f "$wine_tree/e2e-work/counts.txt"
(cd "$wine_tree" && ctest --output-on-failure) | tee build/windows-tests.log
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
stop_stage
# How many generated cases the randomised end-to-end runs tried.
[ -f "$wine_tree/e2e-work/counts.txt" ] && sed 's/^/tried: /' "$wine_tree/e2e-work/counts.txt"

passed=0; failures=0
for log in build/native-tests.log build/win32-tests.log build/windows-tests.log; do
  [ -f "$log" ] || continue
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
  [ -n "$total" ] && { passed=$((passed + total - bad)); failures=$((failures + bad)); }
done
echo
echo "Summary: $passed passed, $failures failed (Windows and end-to-end tests ran in $wine_tree)"
[ "$failed" -eq 0 ] && [ "$failures" -eq 0 ]
