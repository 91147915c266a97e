#!/usr/bin/env bash
# Installs everything Kelvatron needs to build, run and test on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-format clang-tidy cmake-format
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-websockets-dev libqrencode-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation
  xvfb xauth xdg-utils xchm chromium nodejs
  libreoffice-writer-nogui
  file lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "setup: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
"${SUDO[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
