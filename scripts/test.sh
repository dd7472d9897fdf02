#!/usr/bin/env bash
# What CI runs: installs the dependencies, builds, runs every test, and checks that no file of the
# core includes a Qt header.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# The core, the CLI, the tools and the tests never include Qt; only src/ui may.
if grep -rEn '#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)' src tests bench tools 2>/dev/null \
    | grep -v '^src/ui/' | grep -v '^tests/ui/'; then
  echo "test.sh: Qt header included outside src/ui (see above)" >&2
  exit 1
fi

BUILD_DIR="${BUILD_DIR:-build}" scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)" --timeout 600
