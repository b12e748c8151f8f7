#!/usr/bin/env bash
# `make run`: runs the built exe under Wine in a prefix under the build folder,
# on the current X display or, without one, in a private Xvfb. Prints the
# report link the program handed to the browser and saves a screenshot.
set -euo pipefail
B=$1
src=$(cd "$(dirname "$0")/.." && pwd)
export QD_WIN=$B/windows QD_WORK=$B/run-wine
"$src/tests/wine/template.sh"
[ -n "${DISPLAY:-}" ] && export QD_REUSE_DISPLAY=1
export QD_SHOT=$B/run-screenshot.png
"$src/tests/wine/session.sh" --e2e "$src/scripts/run-session.sh"
