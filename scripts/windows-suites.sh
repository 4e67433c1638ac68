#!/usr/bin/env bash
# Which Windows test suites this machine can run: the 64-bit one under wine64
# wherever wine64 starts, the 32-bit one under wine only where the machine
# runs 32-bit programs (some kernels refuse them, and there wine32 cannot
# start). Decided by starting each wine loader once. Prints two lines:
#   suites: win32 win64        (the presets whose tests can run; may be empty)
#   windows: <what runs where, in words>
# PARDUNE_NO_32BIT=1 takes the 32-bit suite out as if the machine could not
# run it. PARDUNE_WINE32 and PARDUNE_WINE64 name other loaders to try
# (default: Debian's /usr/lib/wine/wine and /usr/lib/wine/wine64).
set -u
wine32=${PARDUNE_WINE32:-/usr/lib/wine/wine}
wine64=${PARDUNE_WINE64:-/usr/lib/wine/wine64}
static="the 32-bit DLL was built and its exports and imports checked"

# Why the loader cannot start, or nothing when it can: "refused" when the
# kernel will not run it.
why_not() {
  local out
  if out=$("$1" --version 2>&1 </dev/null); then return; fi
  case $out in
    *"Exec format error"*) echo refused ;;
    *"No such file"* | *"not found"*) echo "$1 is missing" ;;
    *) echo "$1 --version failed: $(echo "$out" | head -n 1)" ;;
  esac
}

# The 32-bit suite may be left out only where the machine cannot run it (or
# on request); a wine that fails for any other reason is a failure.
skip32=
if [ "${PARDUNE_NO_32BIT:-}" = 1 ]; then
  skip32="32-bit programs not run: PARDUNE_NO_32BIT=1"
  no32=
else
  no32=$(why_not "$wine32")
  if [ "$no32" = refused ]; then skip32="this machine cannot run 32-bit programs" no32=; fi
  [ -z "$no32" ] || no32="wine32 cannot start ($no32)"
fi
no64=$(why_not "$wine64")
[ "$no64" != refused ] || no64="the kernel refuses $wine64"
[ -z "$no64" ] || no64="wine64 cannot start ($no64)"

suites=
[ -n "$skip32" ] || [ -n "$no32" ] || suites="win32"
[ -n "$no64" ] || suites="${suites:+$suites }win64"
echo "suites: $suites"

line="windows: "
case $suites in
  "win32 win64") line+="win32 under wine and win64 under wine64" ;;
  win32) line+="win32 under wine; FAILED: $no64" ;;
  win64)
    if [ -n "$no32" ]; then
      line+="win64 under wine64; FAILED: $no32; $static"
    else
      line+="win64 under wine64 ($skip32; $static)"
    fi
    ;;
  *) line+="FAILED: no Windows suite can run: $no64; ${no32:-$skip32}; $static" ;;
esac
echo "$line"
