#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for SECONDS each (default
# 10) over a copy of its seed corpus; fails when any target finds a crash.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

work=build/fuzz/work
export TMPDIR=$PWD/$work/tmp  # the targets' own files
mkdir -p "$TMPDIR"
status=0
for seeds in fuzz/corpus/*/; do
  target=$(basename "$seeds")
  corpus=$work/$target/corpus
  artifacts=$work/$target/artifacts
  mkdir -p "$corpus" "$artifacts"
  cp -n "$seeds"* "$corpus"/ 2>/dev/null || true
  echo "=== fuzz: $target for ${seconds}s"
  if ! build/fuzz/bin/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$work/$target/log" 2>&1; then
    tail -n 40 "$work/$target/log"
    echo "=== fuzz: $target FAILED (input in $artifacts, log in $work/$target/log)"
    status=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$work/$target/log" | tr '\n' ' '
    echo
  fi
done
exit $status
