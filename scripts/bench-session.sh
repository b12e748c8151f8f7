#!/usr/bin/env bash
# Runs inside the session that tests/wine/session.sh prepared for `make bench`.
# The minimal window and the program take turns, one run each, so that load
# from elsewhere on the machine falls on both alike.
. "$(dirname "$0")/../tests/wine/e2e-lib.sh"
runs=${QD_BENCH_RUNS:-10}
# QD_BENCH_NO3D=1: Wine's Direct3D without OpenGL. Its DXGI then starts in
# tens of ms instead of several hundred, which separates Wine's own start-up
# cost in the graphics probe from the scan's pacing.
if [ -n "${QD_BENCH_NO3D:-}" ]; then
  wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d no3d /f >/dev/null 2>&1
  echo "(Wine Direct3D renderer: no3d)"
fi
baseline=$QD_SESSION/baseline.txt program=$QD_SESSION/program.txt
: >"$baseline"; : >"$program"

measure_baseline() {
  wine "$QD_WIN/bench_startup.exe" --runs 1 --warmup 0 --class MinimalWindow --title "Minimal Window" \
    "$(windows_path "$QD_WIN/minimal_window.exe")" | tr -d '\r' | grep '^run '
}
measure_program() {
  wine "$QD_WIN/bench_startup.exe" --runs 1 --warmup 0 --scan "$(windows_path "$QD_EXE")" | tr -d '\r' | grep '^run '
}

# One unrecorded run of each: Wine's first start of a program is slower.
measure_baseline >/dev/null || { echo "the minimal window could not be measured"; exit 1; }
measure_program >/dev/null || { echo "quellix-detect.exe could not be measured"; exit 1; }
for i in $(seq "$runs"); do
  line=$(measure_baseline) || { echo "the minimal window could not be measured"; exit 1; }
  echo "minimal window  ${line#run 1: }" | tee -a "$baseline"
  line=$(measure_program) || { echo "quellix-detect.exe could not be measured"; exit 1; }
  echo "quellix-detect  ${line#run 1: }" | tee -a "$program"
done

# median: the median of the numbers on stdin, one a line.
median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# values FIELD FILE: the number after FIELD ("shown", "last row", ...) on each line.
values() { sed -nE "s/.*$1 ([0-9.]+) ms.*/\1/p" "$2"; }
# gaps FILE: scan end less shown, per run.
gaps() { sed -nE 's/.*shown ([0-9.]+) ms.*scan end ([0-9.]+) ms.*/\1 \2/p' "$1" | awk '{ print $2 - $1 }'; }
verdict() { if awk "BEGIN { exit !($1) }"; then echo "met"; else echo "MISSED"; fi; }

base_shown=$(values shown "$baseline" | median)
shown=$(values shown "$program" | median)
last_row=$(values 'last row' "$program" | median)
scan_end=$(values 'scan end' "$program" | median)
shown_to_end=$(gaps "$program" | median)
size=$(stat -c %s "$QD_EXE")
ratio=$(awk "BEGIN { printf \"%.2f\", $shown / $base_shown }")

echo
echo "== medians of $runs runs each under Wine (times from CreateProcessW)"
echo "load average at the end:          $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores (timings scatter under load)"
echo "window shown, minimal window:     $base_shown ms"
echo "window shown, quellix-detect:     $shown ms"
echo "ratio:                            $ratio (goal <= 1.3: $(verdict "$ratio <= 1.3"))"
echo "last row arrived:                 $last_row ms"
echo "scan ended:                       $scan_end ms"
echo "window shown to scan end:         $shown_to_end ms (pacing floor 1080 ms; goal <= 1150 ms: $(verdict "$shown_to_end <= 1150"))"
echo "exe size:                         $size bytes = $(awk "BEGIN { printf \"%.1f\", $size / 1024 }") KiB (goal < 300000 bytes: $(verdict "$size < 300000"))"

echo
echo "== each probe, median of $runs runs (bench_probes.exe)"
wine "$QD_WIN/bench_probes.exe" "$runs" | tr -d '\r'
