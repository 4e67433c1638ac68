#!/usr/bin/env bash
# Installs what is missing, builds the linux, asan and win32 presets and runs
# every test (the Windows suite under wine), then each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)

status=0
for preset in linux asan win32; do
  echo "=== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  if [ "$preset" = win32 ]; then
    # The first start of a wine prefix takes a while; do it once, before the tests.
    WINEPREFIX="$PWD/build/win32/wineprefix" WINEDEBUG=-all wineboot -i >/dev/null 2>&1 || true
  fi
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs" || status=1
done
echo "=== fuzz: every target for 10 s"
scripts/fuzz.sh 10 || status=1
exit $status
