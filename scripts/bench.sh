#!/usr/bin/env bash
# Builds the native preset and runs the benchmarks (Google Benchmark options
# pass through, e.g. --benchmark_filter=Mix). Figures, not tests: run on an
# otherwise idle machine and read the CPU column.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target calvox_bench >/dev/null
exec build/native/calvox_bench "$@"
