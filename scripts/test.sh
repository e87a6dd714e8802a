#!/usr/bin/env bash
# Builds and runs every test: the headless suite, the window suite under Xvfb and the check of
# what installs. With a preset name (asan, tsan) as first argument, runs them in that build.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-debug}"
bash scripts/deps.sh test
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" --timeout 600
