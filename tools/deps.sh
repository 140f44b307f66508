#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Quorva need. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  libzip-dev zlib1g-dev libpugixml-dev libpcre2-dev
  googletest libgtest-dev libgmock-dev
  python3-openpyxl
  clang-format
  fonts-wqy-zenhei
  xvfb openbox x11-utils
  xdg-utils desktop-file-utils shared-mime-info libglib2.0-bin
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
