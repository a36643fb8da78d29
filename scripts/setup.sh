#!/usr/bin/env bash
# Installs everything the build, the tests and the tools need on a fresh
# Debian machine (run as root). Safe to run again.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  build-essential g++ cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-tools-dev libqt6opengl6-dev designer-qt6 qt6-svg-dev zlib1g-dev
  libgtest-dev googletest libbenchmark-dev
  clang libclang-rt-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool imagemagick x11-utils
  xxd bsdextrautils python3 time
  libhersheyfont-dev hershey-fonts-data libusb-1.0-0-dev
  desktop-file-utils shared-mime-info libglib2.0-bin dpkg-dev file
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
