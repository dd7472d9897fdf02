#!/usr/bin/env bash
# Installs, from Debian's packages, everything Quorvel needs to build, test and benchmark.
# Idempotent: packages already present are skipped without touching the network.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  libpcre2-dev libicu-dev libcli11-dev libsqlcipher-dev libc-ares-dev
  dnsmasq-base python3-dnslib sqlcipher iproute2
  libcurl4-openssl-dev libgmime-3.0-dev libssl-dev openssl ca-certificates dovecot-imapd
  # the spreadsheet export, and the reader its tests open the workbooks with
  libxlsxwriter-dev python3-openpyxl
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  time grep ripgrep bc
  libcpp-httplib-dev libssl-dev openssl libpq-dev postgresql publicsuffix
  # the desktop program and its window tests, screenshots and package
  qt6-base-dev qt6-qpa-plugins fonts-dejavu-core xvfb xauth imagemagick xdotool dpkg-dev file
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# The service's seed: npm's disposable-email-domains, pinned, fetched with npm into .deps/npm.
fetch_npm_seed() {
  local version=1.0.62
  local integrity="sha512-LBQvhRw7mznQTPoyZbsmYeNOZt1pN5aCsx4BAU/3siVFuiM9f2oyKzUaB8v1jbxFjE3aYqYiMo63kAL4pHgfWQ=="
  local dir=.deps/npm tgz=".deps/npm/disposable-email-domains-$version.tgz"
  local sum
  if [ -f "$tgz" ]; then
    sum="sha512-$(openssl dgst -sha512 -binary "$tgz" | base64 -w0)"
    [ "$sum" = "$integrity" ] && return 0
    rm -f "$tgz"
  fi
  if ! command -v npm >/dev/null; then
    $SUDO apt-get install -y -qq --no-install-recommends npm
  fi
  mkdir -p "$dir"
  (cd "$dir" && npm pack --silent "disposable-email-domains@$version" >/dev/null)
  sum="sha512-$(openssl dgst -sha512 -binary "$tgz" | base64 -w0)"
  if [ "$sum" != "$integrity" ]; then
    rm -f "$tgz"
    echo "install-deps: disposable-email-domains-$version.tgz does not match its pinned checksum" >&2
    exit 1
  fi
}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

if [ ${#missing[@]} -eq 0 ]; then
  cd "$(dirname "$0")/.." && fetch_npm_seed
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

cd "$(dirname "$0")/.." && fetch_npm_seed
