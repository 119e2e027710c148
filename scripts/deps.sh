#!/usr/bin/env bash
# Installs what ZELMOR needs to build, run and test on Debian 12.
# As root it runs apt-get; otherwise it prints the exact apt-get line and stops.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  freeglut3-dev libglu1-mesa-dev libgl-dev libx11-dev libxtst-dev
  libgtest-dev libgmock-dev libbenchmark-dev libqhull-dev
  xvfb libgl1-mesa-dri
  imagemagick librsvg2-bin
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "ZELMOR needs these Debian packages; install them as root with:" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi
