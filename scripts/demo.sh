#!/usr/bin/env bash
# Sets up, builds the simulator and plays the program's main story in it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target calvox-sim >/dev/null
exec build/native/calvox-sim demo/story.scn
