#!/usr/bin/env bash
# Renders every window of the desktop program to docs/screenshots/*.png (offscreen, with the
# DejaVu fonts), over the sample list; the accounts and mailbox windows after a real check of a
# mailbox on a Dovecot the program starts on loopback (as the tests do: root, dovecot-imapd); the
# launcher with a newer build, the consent, definitions and update windows against a
# quorvel-service it starts on loopback.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target quorvel-screenshots >/dev/null
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
mkdir -p docs/screenshots
"$BUILD_DIR/tests/ui/quorvel-screenshots" docs/screenshots samples/lista-exemplo.txt 2>/dev/null
