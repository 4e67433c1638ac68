#!/bin/sh
# scripts/windows-suites.sh against stand-in loaders: one that starts, one
# that the kernel refuses as a 32-bit program would be, one that fails.
#   windows_suites_test.sh scripts/windows-suites.sh
set -u
decide=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '#!/bin/sh\necho wine-8.0\n' > "$dir/starts"
printf '\177ELF\001\001\001\000\000\000\000\000' > "$dir/refused"
printf '#!/bin/sh\necho "wine: could not load ntdll.so" >&2\nexit 1\n' > "$dir/fails"
chmod +x "$dir/starts" "$dir/refused" "$dir/fails"
failures=0

# expect NO_32BIT WINE32 WINE64 SUITES PATTERN...: the suites line, and the
# windows line matching each pattern (a leading ! : not matching).
expect() {
  out=$(PARDUNE_NO_32BIT=$1 PARDUNE_WINE32="$dir/$2" PARDUNE_WINE64="$dir/$3" bash "$decide")
  case=$1/$2/$3
  suites=$(echo "$out" | sed -n 's/^suites: *//p')
  [ "$suites" = "$4" ] || { echo "$case: suites '$suites', expected '$4'"; failures=$((failures + 1)); }
  line=$(echo "$out" | sed -n 2p)
  shift 4
  for pattern in "$@"; do
    case $pattern in
      !*) echo "$line" | grep -qF -- "${pattern#!}" || continue ;;
      *) echo "$line" | grep -qF -- "$pattern" && continue ;;
    esac
    echo "$case: '$line' and '$pattern'"
    failures=$((failures + 1))
  done
}

static="the 32-bit DLL was built and its exports and imports checked"
expect "" starts starts "win32 win64" "windows: win32 under wine and win64 under wine64" "!FAILED"
expect 1 starts starts "win64" "windows: win64 under wine64 (32-bit programs not run: PARDUNE_NO_32BIT=1; $static)"
expect "" refused starts "win64" \
  "windows: win64 under wine64 (this machine cannot run 32-bit programs; $static)"
expect "" fails starts "win64" "FAILED: wine32 cannot start" "could not load ntdll.so" "$static"
expect 1 fails missing "" "windows: FAILED: no Windows suite can run" "$dir/missing is missing"

[ $failures -eq 0 ] && echo "windows-suites: every case as expected"
exit $((failures != 0))
