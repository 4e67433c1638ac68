#!/usr/bin/env bash
# Builds the bench preset (a release build with the benchmarks) and runs every
# benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
cmake --preset bench >/dev/null
cmake --build --preset bench
for b in build/bench/bin/bench_*; do
  echo "=== $b"
  "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
done
