#!/usr/bin/env bash
# Builds a release and packs it: the Debian package
# (build/release/package/pardune_VERSION_amd64.deb), or with "win32" the zip
# for FAR users (build/win32/package/Pardune-VERSION-win32.zip).
# Usage: scripts/package.sh [win32]
# What it is doing goes to standard error; the package's path, alone, to
# standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
say() { echo "package.sh: $*" >&2; }
# Runs a step whose output matters only when it fails.
quiet() {
  local log status=0
  log=$(mktemp)
  "$@" >"$log" 2>&1 || status=$?
  [ $status = 0 ] || cat "$log" >&2
  rm -f "$log"
  return $status
}
case $preset in
  release) scripts/install-deps.sh package >&2 ;;
  win32) scripts/install-deps.sh test >&2 ;;
  *) echo "usage: scripts/package.sh [win32]" >&2; exit 2 ;;
esac
say "configuring build/$preset"
quiet cmake --preset "$preset"
say "building build/$preset (a first build takes a few minutes)"
if [ "$preset" = win32 ]; then
  cmake --build --preset win32 -j "$(nproc)" --target pardune_module >&2
else
  cmake --build --preset release -j "$(nproc)" >&2
fi
say "packing"
(cd "build/$preset" && quiet cpack)
find "build/$preset/package" -maxdepth 1 -name '*.deb' -o -maxdepth 1 -name '*.zip'
