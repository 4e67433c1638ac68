#!/usr/bin/env bash
# Builds the release preset with benchmarks and runs every benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
cmake --preset release -DPARDUNE_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset release
for b in build/release/bin/bench_*; do
  echo "=== $b"
  "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
done
