#!/usr/bin/env bash
# Builds Quorvel and runs its main job on the sample list shipped in the repository: the
# validation chain over samples/lista-exemplo.txt with the sample workspace's filters, in a copy
# of that workspace under build/ (its database grows there, not in the repository).
# Set QUORVEL_DNS_SERVER=host:port to send the MX queries to a resolver of your choice.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh >/dev/null
WORKSPACE=build/sample-workspace
if [ ! -d "$WORKSPACE" ]; then
  cp -r samples/workspace "$WORKSPACE"
fi
build/src/quorvel-cli check --home "$WORKSPACE" --grid --counters < samples/lista-exemplo.txt
