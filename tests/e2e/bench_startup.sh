#!/usr/bin/env bash
# bench_startup, the tool behind `make bench`, measures the right moments and
# ends what it starts: against the minimal window, against a stand-in window
# whose rows change at known times, and against programs that never show the
# window or end at once. What the tool guarantees is checked here, not how
# fast this machine is: the timings themselves are `make bench`'s to report.
. "$(dirname "$0")/../wine/e2e-lib.sh"
bench=$QD_WIN/bench_startup.exe
minimal=$(windows_path "$QD_WIN/minimal_window.exe")
fake=$(windows_path "$QD_WIN/fake_scan_window.exe")
itself=$(windows_path "$bench")

# name | expected exit code | expected line (extended regex) | arguments (tab-separated)
cases=$(cat <<TABLE
baseline window|0|^median shown_ms [0-9]+\.[0-9]$|--runs	2	--warmup	1	--class	MinimalWindow	--title	Minimal Window	$minimal
scan of the stand-in|0|^median shown_to_scan_end_ms [0-9]+\.[0-9]$|--runs	2	--warmup	0	--scan	$fake
class never shown|1|showed no window in time$|--runs	1	--warmup	0	--timeout-ms	1500	--class	NoSuchClass	$minimal
program ends at once|1|ended before it was measured$|--runs	1	--warmup	0	$itself
window without rows|1|did not end its scan in time$|--runs	1	--warmup	0	--scan	--timeout-ms	6000	--class	MinimalWindow	--title	Minimal Window	$minimal
no program named|2|^usage: |--runs	2
zero runs|2|^usage: |--runs	0	$minimal
TABLE
)

while IFS='|' read -r name want_status want_line args; do
  IFS=$'\t' read -r -a argv <<<"$args"
  file=$QD_SESSION/out-${name// /-}.txt
  wine "$bench" "${argv[@]}" >"$file" 2>>"$QD_SESSION/wine.log"; status=$?
  out=$(tr -d '\r' <"$file"); echo "$out" >"$file"
  check "$name: exit code $want_status (got $status)" [ "$status" -eq "$want_status" ]
  check "$name: prints /$want_line/" grep -Eq "$want_line" <<<"$out"
done <<<"$cases"

# The stand-in changes its row 400 ms after showing and its message line
# 400 ms after that. The tool counts from just before it starts the program
# and sees each change after it happens, so: shown, last row and scan end in
# that order, the row at 400 ms or later and the end at 800 ms or later,
# whatever the load. (Gaps between two sights are not bounded: a busy machine
# can make the tool see the window late and the row at once after it.)
runs=$(grep '^run ' "$QD_SESSION/out-scan-of-the-stand-in.txt")
check "two measured scan runs" [ "$(wc -l <<<"$runs")" -eq 2 ]
while read -r line; do
  read -r shown last_row scan_end < <(sed -E 's/.*shown ([0-9.]+) ms, last row ([0-9.]+) ms, scan end ([0-9.]+) ms/\1 \2 \3/' <<<"$line")
  check "shown, then the row, then the end: $line" awk "BEGIN { exit !($shown < $last_row && $last_row < $scan_end) }"
  check "the row no sooner than 400 ms, the end no sooner than 800 ms: $line" \
    awk "BEGIN { exit !($last_row >= 400 && $scan_end >= 800) }"
done <<<"$runs"

# Every program it started has been ended: their windows go (within 10 s;
# the X server drops them once the ended process's connection closes).
no_window_left() {
  local i
  for i in $(seq 100); do xdotool search --name "^$1\$" >/dev/null 2>&1 || return 0; sleep 0.1; done
  return 1
}
for title in 'Minimal Window' 'Quellix Detect'; do
  check "no '$title' window left" no_window_left "$title"
done
finish
