#!/usr/bin/env bash
# Builds the program and starts it on the emulated phone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake --preset release
cmake --build --preset release
exec ./build/release/src/app/velmora "$@"
