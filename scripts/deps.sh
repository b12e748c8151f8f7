#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and nothing when
# they are all there already.
#   deps.sh        everything: both builds, Wine, the release tools
#   deps.sh unit   only what the native build and its unit tests need
set -euo pipefail
unit=(cmake ninja-build g++ googletest)
packages=("${unit[@]}" clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine64 fonts-wine xvfb xdotool imagemagick x11-utils xclip unicode-data
          osslsigncode openssl)
[ "${1:-}" = unit ] && packages=("${unit[@]}")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
