#!/usr/bin/env bash
# Compiles the portable sources with clang as a second opinion (syntax and warnings only).
set -euo pipefail
clang=$1 generated=$2; shift 2
src=$(cd "$(dirname "$0")/../../src" && pwd)
for f in "$@"; do
  "$clang" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -I"$src" -I"$generated" "$f"
done
echo "clang: $# files clean"
