#!/usr/bin/env bash
# Installs what is missing, builds Dayloom with its tests and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 600
