#!/usr/bin/env bash
# Configures and builds Quorvel (Release, with tests) into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" -DBUILD_TESTING=ON >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
