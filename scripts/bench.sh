#!/usr/bin/env bash
# `make bench`: start-up and scan timings of the built exe under Wine, against
# a minimal Win32 window as the baseline, the exe's size, and each probe's time.
#   QD_BENCH_RUNS   measured runs per program (default 10)
#   QD_BENCH_NO3D   set to 1 to run Wine's Direct3D without OpenGL (see bench-session.sh)
set -euo pipefail
B=$1
src=$(cd "$(dirname "$0")/.." && pwd)
# The same template prefix as the Wine tests use.
export QD_WIN=$B/windows QD_WORK=$B/native/wine
"$src/tests/wine/template.sh"
"$src/tests/wine/session.sh" --e2e "$src/scripts/bench-session.sh"
