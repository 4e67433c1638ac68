#!/usr/bin/env bash
# Writes src/winport/bestfit_table.inc from the real conversion functions:
# scripts/bestfit_dump.cpp, built with mingw and run under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'WINEPREFIX="$tmp/prefix" wineserver -k 2>/dev/null || true; rm -rf "$tmp"' EXIT
i686-w64-mingw32-g++-posix -O1 -static -o "$tmp/dump.exe" scripts/bestfit_dump.cpp
WINEPREFIX="$tmp/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8 \
  wine "$tmp/dump.exe" | tr -d '\r' >src/winport/bestfit_table.inc
