#!/usr/bin/env bash
# Installs everything the project builds and tests with, from Debian's packages. Safe to run again.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  g++-mingw-w64-x86-64-posix
  wine wine64
  fonts-wine  # Wine's own fonts: without them the title bar's buttons show letters for their glyphs
  xvfb x11-utils xdotool imagemagick
  libboost-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libzxing-dev libqrencode-dev
  clang libclang-rt-14-dev clang-format
  nsis osslsigncode openssl  # the installer, Authenticode signing, and the signing test's throwaway certificate
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
echo "setup: all packages present"
