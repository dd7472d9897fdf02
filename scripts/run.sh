#!/usr/bin/env bash
# Builds Quorvel and runs it on the sample list shipped in the repository, in a copy of the
# sample workspace under build/ (its database grows there, not in the repository):
# - with a display ($DISPLAY or $WAYLAND_DISPLAY), the desktop program opens with the sample
#   list loaded into its list editor;
# - without one, it says so and runs the terminal demo: the validation chain over
#   samples/lista-exemplo.txt with the sample workspace's filters.
# Set QUORVEL_DNS_SERVER=host:port to send the MX queries to a resolver of your choice.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh >/dev/null
WORKSPACE=build/sample-workspace
if [ ! -d "$WORKSPACE" ]; then
  cp -r samples/workspace "$WORKSPACE"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/src/ui/quorvel ]; then
  # The list is copied into the workspace: saving it there never touches the repository.
  mkdir -p "$WORKSPACE/dados"
  cp samples/lista-exemplo.txt "$WORKSPACE/dados/lista-exemplo.txt"
  QUORVEL_HOME="$PWD/$WORKSPACE" exec build/src/ui/quorvel "$PWD/$WORKSPACE/dados/lista-exemplo.txt"
fi
echo "run.sh: nenhuma tela disponível (DISPLAY/WAYLAND_DISPLAY); executando a demonstração no terminal." >&2
build/src/quorvel-cli check --home "$WORKSPACE" --grid --counters < samples/lista-exemplo.txt
