#!/usr/bin/env bash
# Key latency of Calvox.exe under Wine with the virtual handset: the time from
# a key's input report injected at the device to the peer client receiving
# the command, p50/p99 over 1,000 presses, for a microcontroller key and for a
# keypad matrix key. Takes a few minutes; not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target calvox_wine_handset_latency calvox_virtual_handset >/dev/null
exec tests/wine/run-wine-tests.sh build/windows \
    timeout 900 wine build/windows/calvox_wine_handset_latency.exe
