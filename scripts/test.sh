#!/usr/bin/env bash
# Installs what is missing, builds the linux, asan and win32 presets and runs
# every test (the Windows suite under wine), checks the packages (Debian and
# the zip for FAR users), then runs each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)

status=0
passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for preset in linux asan win32; do
  echo "=== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  if [ "$preset" = win32 ]; then
    # The first start of a wine prefix takes a while; do it once, before the tests.
    WINEPREFIX="$PWD/build/win32/wineprefix" WINEDEBUG=-all wineboot -i >/dev/null 2>&1 || true
  fi
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs" | tee "$log" || status=1
  # "100% tests passed, 0 tests failed out of 750"
  summary=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$summary" ]; then
    f=${summary%% *}
    n=${summary##* }
    passed=$((passed + n - f))
    failed=$((failed + f))
  else
    status=1
  fi
done
echo "=== package: the Debian package (release) and the zip for FAR users (win32)"
deb=$(scripts/package.sh | grep '\.deb$' | tail -n 1) || true
zip=$( (cd build/win32 && cpack >/dev/null) && ls -t build/win32/package/Pardune-*-win32.zip | head -n 1) || true
if [ -n "$deb" ] && [ -n "$zip" ]; then
  tests/package/check_package.sh "$deb" "$zip" | tee "$log" || status=1
  # "package: 8 passed, 0 failed"
  counts=$(sed -nE 's/^package: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' "$log" | tail -n 1)
  if [ -n "$counts" ]; then
    passed=$((passed + ${counts% *}))
    failed=$((failed + ${counts#* }))
  else
    failed=$((failed + 1))
    status=1
  fi
else
  echo "FAILED: the packages could not be built"
  failed=$((failed + 1))
  status=1
fi
echo "=== fuzz: every target for 10 s"
if scripts/fuzz.sh 10; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; fi
echo "tests: $passed passed, $failed failed"
exit $status
