#!/usr/bin/env bash
# Builds a release: the exe and the field kit from a clean build folder, then
# release-package.sh names the exe, signs it when a certificate is given, zips
# the field kit, and writes their checksums.
#   release.sh BUILD_DIR DIST_DIR
# The signing settings (QD_SIGN_PFX, QD_SIGN_PASSWORD, ...) are described in
# release-package.sh.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder} dist=${2:?dist folder}

rm -rf "$build"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target quellix-detect quellix-report
version=$(sed -n 's/^#define QD_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/version.h")
[ -n "$version" ] || { echo "release: no version in $build/generated/version.h" >&2; exit 1; }
if [ "$(git -C "$src" rev-parse --show-toplevel 2>/dev/null)" = "$src" ] &&
   commit=$(git -C "$src" describe --always --dirty --abbrev=12 2>/dev/null); then
  echo "release: source $commit"
  case $commit in *-dirty) echo "release: WARNING: uncommitted changes; nobody can rebuild this exe from a commit" ;; esac
fi
"$src/scripts/release-package.sh" "$build/quellix-detect.exe" "$version" "$dist" "$build/quellix-report.exe"
