#!/usr/bin/env bash
# Runs a Windows test program under wine with a prefix of the build's own.
#   wine-run.sh LOADER PROGRAM [ARGS...]
# LOADER is `wine` for 32-bit programs, /usr/lib/wine/wine64 for 64-bit ones.
set -e
loader=$1 exe=$2
shift 2
dir=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX=${PARDUNE_WINEPREFIX:-$dir/../wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec "$loader" "$exe" "$@"
