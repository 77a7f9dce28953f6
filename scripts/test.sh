#!/usr/bin/env bash
# Sets up and runs every test: native unit and scenario tests, the same under
# AddressSanitizer/UndefinedBehaviorSanitizer and under ThreadSanitizer, and the
# Win32 tests under Wine; each fuzz target runs for 20 s.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
scripts/setup.sh

for preset in native asan tsan; do
  echo "== $preset: build and test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== fuzz: each target briefly"
scripts/fuzz.sh 20

echo "== windows: build and Wine tests"
cmake --preset windows >/dev/null
cmake --build --preset windows
tests/wine/run-wine-tests.sh build/windows

echo "== all tests passed in $(( $(date +%s) - start )) s"
