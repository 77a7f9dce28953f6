#!/usr/bin/env bash
# The soak run under AddressSanitizer: 1,000,000 client notifications, 100,000
# handset key reports and 1,000 plug/unplug cycles in one simulated run (virtual
# time). Prints the heap at intervals and its growth after warm-up; fails on
# growth, a worker thread left running, or a leak found at exit.
#   scripts/soak.sh [NOTIFICATIONS KEYS CYCLES]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset asan >/dev/null
cmake --build --preset asan --target calvox_soak >/dev/null
exec build/asan/calvox_soak "${1:-1000000}" "${2:-100000}" "${3:-1000}"
