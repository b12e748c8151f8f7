#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and nothing when
# they are all there already.
set -euo pipefail
packages=(cmake ninja-build g++ clang googletest g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
          wine64 fonts-wine xvfb xdotool imagemagick x11-utils xclip unicode-data binutils-mingw-w64-x86-64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
