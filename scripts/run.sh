#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts pardune.
# Arguments are passed to pardune (see pardune --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
echo "run.sh: configuring build/release"
log=$(mktemp)
cmake --preset release >"$log" 2>&1 || { cat "$log"; rm -f "$log"; exit 1; }
rm -f "$log"
echo "run.sh: building pardune (a first build takes a few minutes)"
cmake --build --preset release --target pardune
exec build/release/bin/pardune "$@"
