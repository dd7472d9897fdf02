#!/usr/bin/env bash
# Configures and builds Quorvel (Release, with tests) into build/.
# A new build folder uses Ninja when it is installed (it schedules the compilations of every target
# together) and ccache when it is installed and CMAKE_CXX_COMPILER_LAUNCHER is not set; a folder
# configured before keeps its generator and launcher.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
args=()
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
    args+=(-G Ninja)
  fi
  if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
    args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
fi
cmake -S . -B "$BUILD_DIR" "${args[@]}" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" \
  -DBUILD_TESTING=ON >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
