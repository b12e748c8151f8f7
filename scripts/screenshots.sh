#!/usr/bin/env bash
# `make screenshots`: regenerates docs/screenshots/<phase>-<dpi>.png, each
# cropped to the window: scanning, countdown, opened, not-opened,
# could-not-open, copied and screen-reader-waiting (the window waiting after
# the scan while a screen reader runs), at 96 and 144 DPI; and
# hc-white-opened-96.png and hc-white-could-not-open-96.png under High
# Contrast White. One Wine session each.
set -euo pipefail
B=$1
src=$(cd "$(dirname "$0")/.." && pwd)
export QD_WIN=$B/windows QD_WORK=$B/native/wine
"$src/tests/wine/template.sh"
export QD_SHOT_DIR=$src/docs/screenshots
mkdir -p "$QD_SHOT_DIR"
for dpi in 96 144; do
  echo "== $dpi DPI"
  QD_SHOT_DPI=$dpi "$src/tests/wine/session.sh" --e2e "$src/scripts/screenshots-session.sh"
done
echo "== High Contrast White, 96 DPI"
QD_SHOT_DPI=96 QD_SHOT_THEME=hc-white "$src/tests/wine/session.sh" --e2e "$src/scripts/screenshots-session.sh"
