#!/usr/bin/env bash
# Runs a Windows test program under wine in a new wine prefix, removed again
# afterwards: the program meets an empty registry and a clipboard of its own.
#   wine-fresh-run.sh LOADER PROGRAM [ARGS...]   (LOADER as for wine-run.sh)
set -e
loader=$1 exe=$2
shift 2
dir=$(cd "$(dirname "$exe")" && pwd)
# A run stopped by force leaves its prefix behind; none lives an hour.
find "$dir/.." -maxdepth 1 -name 'wineprefix-fresh.*' -mmin +60 -exec rm -rf {} + 2>/dev/null || true
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
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
"$loader" wineboot -i >/dev/null 2>&1
"$loader" "$exe" "$@"
