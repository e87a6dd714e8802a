#!/usr/bin/env bash
# Builds the program alone (no tests, no benchmarks, warnings not fatal) and starts it on the
# emulated phone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake --preset app
cmake --build --preset app
exec ./build/app/src/app/velmora "$@"
