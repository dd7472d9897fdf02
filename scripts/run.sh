#!/usr/bin/env bash
# Builds Quorvel and runs its main job on the sample list shipped in the repository:
# the validation chain over samples/lista-exemplo.txt with the sample workspace's filters.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh >/dev/null
build/src/quorvel-cli check --home samples/workspace --grid --counters < samples/lista-exemplo.txt
