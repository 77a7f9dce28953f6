#!/usr/bin/env bash
# Installs what the simulator needs, builds it and plays the program's main
# story in it, told in words; `scripts/demo.sh --trace` prints the raw trace.
set -euo pipefail
cd "$(dirname "$0")/.."
show=--story
case "${1:-}" in
  "") ;;
  --trace) show= ;;
  *) echo "usage: scripts/demo.sh [--trace]" >&2; exit 2 ;;
esac
scripts/setup.sh sim
echo "== building calvox-sim in build/sim (a first build takes a few minutes)"
cmake --preset sim >/dev/null
cmake --build --preset sim --target calvox-sim -j "$(nproc)"
echo "== the story (demo/story.scn)"
exec build/sim/calvox-sim $show demo/story.scn
