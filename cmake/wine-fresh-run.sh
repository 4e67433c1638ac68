#!/usr/bin/env bash
# Runs a Windows test program under wine in a new wine prefix, removed again
# afterwards: the program meets an empty registry and a clipboard of its own.
set -e
exe=$1; shift
dir=$(cd "$(dirname "$exe")" && pwd)
prefix=$(mktemp -d "$dir/../wineprefix-fresh.XXXXXX")
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# English texts and the OEM code page 437, whatever the user's locale.
export LC_ALL=C.UTF-8
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
wineboot -i >/dev/null 2>&1
wine "$exe" "$@"
