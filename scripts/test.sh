#!/usr/bin/env bash
# Installs what is missing, builds the linux, asan, win32 and win64 presets
# and runs every test (the Windows suites under wine: see below), checks the
# packages (Debian and the zip for FAR users), then runs each fuzz target
# briefly.
#
# Windows: the 64-bit suite runs under wine64 on every machine, the 32-bit
# one under wine where the machine runs 32-bit programs; elsewhere the 32-bit
# DLL is still built and its format, exports and imports are checked.
# scripts/windows-suites.sh decides; PARDUNE_NO_32BIT=1 takes the other road.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)

status=0
passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

plan=$(scripts/windows-suites.sh)
windows_suites=" $(sed -n 's/^suites: *//p' <<<"$plan") "
windows=$(grep '^windows:' <<<"$plan")
echo "=== $windows"
case $windows in *FAILED*) failed=$((failed + 1)) status=1 ;; esac

for preset in linux asan win32 win64; do
  runs=yes
  [[ $preset != win* || $windows_suites == *" $preset "* ]] || runs=no
  cmake --preset "$preset" >/dev/null
  if [ $runs = no ] && [ "$preset" = win32 ]; then
    # Only the DLL: the zip is made from it, and it is checked without wine.
    echo "=== $preset: build the DLL"
    cmake --build --preset "$preset" -j "$jobs" --target pardune_module
  else
    echo "=== $preset: build"
    cmake --build --preset "$preset" -j "$jobs"
  fi
  case $preset in
    linux | asan)
      echo "=== $preset: test"
      ctest --preset "$preset" -j "$jobs" | tee "$log" || status=1
      ;;
    *)
      if [ $runs = no ]; then
        if [ "$preset" = win64 ]; then
          echo "=== win64: tests not run (wine64 cannot start)"
          continue
        fi
        echo "=== $preset: the DLL's format, exports and imports (without wine)"
        ctest --preset "$preset" -L static | tee "$log" || status=1
      else
        # The first start of a wine prefix takes a while; do it once, before the tests.
        loader=$(sed -n 's/^PARDUNE_WINE:[A-Z]*=//p' "build/$preset/CMakeCache.txt")
        WINEPREFIX="$PWD/build/$preset/wineprefix" WINEDEBUG=-all "$loader" wineboot -i \
          >/dev/null 2>&1 || true
        echo "=== $preset: test"
        ctest --preset "$preset" -j "$jobs" | tee "$log" || status=1
      fi
      ;;
  esac
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
echo "$windows"
echo "tests: $passed passed, $failed failed"
exit $status
