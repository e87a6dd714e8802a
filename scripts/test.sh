#!/usr/bin/env bash
# Builds and runs every test: the headless suite and the window suite under Xvfb.
# With a preset name (asan, tsan) as first argument, runs them in that build.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-debug}"
bash scripts/deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" --timeout 600
