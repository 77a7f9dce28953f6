#!/usr/bin/env bash
# Figures of Calvox.exe under Wine with a peer client: notification round trip
# p50/p99 over 10,000 notifications, idle CPU over 60 s (no handset, client
# attached) and private memory. Takes a few minutes; not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target calvox_wine_measure >/dev/null
exec tests/wine/run-wine-tests.sh build/windows timeout 900 wine build/windows/calvox_wine_measure.exe
