#!/usr/bin/env bash
# Builds the native preset and runs the notification benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target calvox_bench >/dev/null
exec build/native/calvox_bench "$@"
