#!/usr/bin/env bash
# Sets up and runs every test: native unit and scenario tests, the same under
# AddressSanitizer/UndefinedBehaviorSanitizer and under ThreadSanitizer, and the
# Win32 tests under Wine against the shipped x64 build; the 32-bit build is
# built (its record layouts checked by the compiler) but cannot run here; each
# fuzz target runs for 20 s.
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

echo "== windows32: the 32-bit Calvox.exe"
cmake --preset windows32 >/dev/null
cmake --build --preset windows32 --target Calvox
i686-w64-mingw32-objdump -f build/windows32/Calvox.exe | grep -q 'file format pei-i386'

echo "== windows: build (with the installers, which take the 32-bit build) and Wine tests"
cmake --preset windows >/dev/null
cmake --build --preset windows
tests/wine/run-wine-tests.sh build/windows
for exe in build/windows/Calvox.exe build/windows32/Calvox.exe; do
  echo "$exe: $(( $(stat -c %s "$exe") / 1024 )) KB"
done

echo "== all tests passed in $(( $(date +%s) - start )) s"
