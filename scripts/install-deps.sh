#!/usr/bin/env bash
# Installs, from Debian's packages, everything Quorvel needs to build, test and benchmark.
# Idempotent: packages already present are skipped without touching the network.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang-format
  libpcre2-dev libicu-dev libcli11-dev libsqlcipher-dev libc-ares-dev
  dnsmasq-base python3-dnslib sqlcipher iproute2
  libcurl4-openssl-dev libgmime-3.0-dev libssl-dev openssl ca-certificates dovecot-imapd
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  time grep ripgrep bc
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
