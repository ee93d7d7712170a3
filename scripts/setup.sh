#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine. Safe to run again: it installs
# only what is missing.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config libgtest-dev googletest libbenchmark-dev
          libfltk1.3-dev libx11-dev libxext-dev libxft-dev libxinerama-dev libxcursor-dev
          libxrender-dev libxfixes-dev libfontconfig1-dev libpng-dev xvfb xauth x11-apps
          g++-mingw-w64-x86-64 wine64 fonts-dejavu-core clang libclang-rt-dev ntfs-3g unzip chromium
          fuse3 libfuse3-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
