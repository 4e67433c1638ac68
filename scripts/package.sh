#!/usr/bin/env bash
# Builds a release and packs it: the Debian package
# (build/release/package/pardune_VERSION_amd64.deb), or with "win32" the zip
# for FAR users (build/win32/package/Pardune-VERSION-win32.zip).
# Usage: scripts/package.sh [win32]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
case $preset in
  release) scripts/install-deps.sh package ;;
  win32) scripts/install-deps.sh test ;;
  *) echo "usage: scripts/package.sh [win32]" >&2; exit 2 ;;
esac
cmake --preset "$preset" >/dev/null
if [ "$preset" = win32 ]; then
  cmake --build --preset win32 -j "$(nproc)" --target pardune_module >/dev/null
else
  cmake --build --preset release -j "$(nproc)" >/dev/null
fi
(cd "build/$preset" && cpack >/dev/null)
find "build/$preset/package" -maxdepth 1 -name '*.deb' -o -maxdepth 1 -name '*.zip'
