#!/usr/bin/env bash
# Installs what is missing, then configures and builds Dayloom into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Optimised without debug information: the whole build stays quick on two cores.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
cmake --build build -j"$(nproc)"
