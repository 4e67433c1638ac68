#!/usr/bin/env bash
# Runs a Windows test program under wine with a prefix of the build's own.
set -e
exe=$1; shift
dir=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX=${PARDUNE_WINEPREFIX:-$dir/../wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$exe" "$@"
