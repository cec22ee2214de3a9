#!/usr/bin/env bash
# Installs what is missing, then configures and builds Dayloom into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The Google OAuth client of this build, when given in the environment (kept in the CMake cache).
google=()
if [ -n "${DAYLOOM_GOOGLE_CLIENT_ID:-}" ]; then google+=("-DDAYLOOM_GOOGLE_CLIENT_ID=$DAYLOOM_GOOGLE_CLIENT_ID"); fi
if [ -n "${DAYLOOM_GOOGLE_CLIENT_SECRET:-}" ]; then google+=("-DDAYLOOM_GOOGLE_CLIENT_SECRET=$DAYLOOM_GOOGLE_CLIENT_SECRET"); fi
# Optimised without debug information: the whole build stays quick on two cores.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" "${google[@]}" >/dev/null
cmake --build build -j"$(nproc)"
