#!/usr/bin/env bash
# Builds every tree and runs every test: the Windows tests and the end-to-end
# runs under Wine, and beside them the native tests. Each Windows test and
# each end-to-end group has a virtual display, a Wine prefix and work files of
# its own, so they run side by side: TEST_JOBS at a time (4 by default; on two
# cores they keep both busy). The native tests are not put at a low priority:
# their X11 runs wait for states too, and starved they took longest of all.
set -u
cd "$(dirname "$0")/.."
. tools/lib.sh
rm -f build/native-tests.log build/win32-tests.log build/windows-tests.log
# Every process of this run carries the mark, so that what it leaves is told apart from other runs'.
export TAMBLORN_RUN_MARK="run-$$-$(date +%s%N)"
LEFTOVER_WAIT=30
JOBS=${JOBS:-2}
TEST_JOBS=${TEST_JOBS:-4}
failed=0

make --no-print-directory native win32 || exit 1

# Windows tests run in the tree whose programs this machine's Wine can
# execute: the 32-bit tree where the kernel runs 32-bit Wine, else the
# same program built for 64-bit Windows.
wine_tree=build/$(tamblorn_wine_tree)
if [ "$wine_tree" != build/win32 ]; then
  echo "run-tests: this kernel cannot run 32-bit Wine; Windows tests run in the 64-bit tree"
  make --no-print-directory win64 || exit 1
fi

(cd build/native && exec ctest --output-on-failure -j"$JOBS" >../native-tests.log 2>&1) &
native_tests=$!

if [ "$wine_tree" != build/win32 ]; then
  echo "== checks of the 32-bit program (build/win32) =="
  (cd build/win32 && ctest --output-on-failure) | tee build/win32-tests.log
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
fi

echo "== Windows and end-to-end tests ($wine_tree) =="
# Stops the native tests and the Wine servers of this tree's prefixes, also when interrupted.
stop_stage() {
  kill "$native_tests" 2>/dev/null
  for prefix in "$PWD/$wine_tree"/*prefix*/; do tamblorn_stop_prefix "${prefix%/}"; done
}
trap 'stop_stage; exit 130' INT
trap 'stop_stage; exit 143' TERM
trap stop_stage EXIT
rm -f "$wine_tree"/e2e-work/*/counts.txt
(cd "$wine_tree" && ctest --output-on-failure -j"$TEST_JOBS") | tee build/windows-tests.log
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
wait "$native_tests" || failed=1
stop_stage
echo "== native tests =="
cat build/native-tests.log
# How many generated cases the randomised end-to-end runs tried.
cat "$wine_tree"/e2e-work/*/counts.txt 2>/dev/null | sed 's/^/tried: /'

passed=0; failures=0
for log in build/native-tests.log build/win32-tests.log build/windows-tests.log; do
  [ -f "$log" ] || continue
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
  [ -n "$total" ] && { passed=$((passed + total - bad)); failures=$((failures + bad)); }
done
echo
echo "Windows and end-to-end tests ran in $wine_tree."
# What this run showed of the shipped 32-bit files: run natively, run in the
# emulated 32-bit PC (pc32.shipped, tools/pc32), or only their 64-bit twin.
if [ "$wine_tree" = build/win32 ]; then
  echo "32-bit evidence: 32-bit natively"
elif grep -qE 'pc32\.shipped \.+ *(Passed|\*+Failed)' build/win32-tests.log 2>/dev/null; then
  echo "32-bit evidence: 32-bit emulated"
else
  echo "32-bit evidence: 64-bit only"
fi
echo "Summary: $passed passed, $failures failed"
left=$(python3 tests/stage.py leftovers TAMBLORN_RUN_MARK "$TAMBLORN_RUN_MARK" $$ "$LEFTOVER_WAIT")
echo "Displays, Wine servers and programs of this run left running: $left"
[ "${left%% *}" = 0 ] || failed=1
[ "$failed" -eq 0 ] && [ "$failures" -eq 0 ]
