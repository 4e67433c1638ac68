#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts pardune.
# Arguments are passed to pardune (see pardune --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release --target pardune >/dev/null
exec build/release/bin/pardune "$@"
