#!/usr/bin/env bash
# The shipped exe must carry its icon group, version information and manifest
# exactly as Windows reads them. First the check on the real exe, then proof
# that the check notices each kind of damage.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$1 version=$2
python3 "$here/pe_resources.py" "$exe" "$version"
python3 "$here/pe_resources_selftest.py" "$exe" "$version"
