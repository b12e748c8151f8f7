#!/usr/bin/env bash
# A driver-backed call that never returns costs the scan one finding and the
# probe deadline, not the rest of the scan. A stand-in dxgi.dll (or
# powrprof.dll) in the prefix's System32, whose CreateDXGIFactory1 (or
# PowerGetActiveScheme) waits forever, takes the place of Wine's:
#   - graphics: the row says "not found" once the deadline has passed, the
#     other rows follow, the link opens without gpu=, and the program exits 0;
#   - power plan: only the power plan is absent, every other setting is there
#     (the link's keys are a normal run's);
#   - closed during the stall, the program ends with 0 within the bound it
#     always has (see closing.sh).
. "$(dirname "$0")/lib/window.sh"
. "$(dirname "$0")/lib/debug_lines.sh"

deadline_ms=$(sed -n 's/^inline constexpr std::uint32_t probe_deadline_ms = \([0-9]*\);.*/\1/p' \
  "$(dirname "$0")/../../src/checks/deadline_win.h")
check "the probe deadline read from the source ($deadline_ms ms)" [ -n "$deadline_ms" ]
exit_limit_ms=10000  # closing.sh's: the program's 5 s bound plus slack for a busy machine

system32=$WINEPREFIX/drive_c/windows/system32
usual_overrides=$WINEDLLOVERRIDES
# plant NAME: the blocking stand-in in place of System32's NAME.dll, loaded
# instead of Wine's own; unplant NAME puts Wine's back.
plant() {
  cp "$system32/$1.dll" "$QD_SESSION/$1.dll.wine"
  cp "$QD_WIN/blocking-dlls/$1.dll" "$system32/$1.dll"
  export WINEDLLOVERRIDES="$usual_overrides;$1=n"
}
unplant() {
  cp "$QD_SESSION/$1.dll.wine" "$system32/$1.dll"
  export WINEDLLOVERRIDES=$usual_overrides
}
# run_to_end: starts the exe with its debug output on, waits for its end;
# sets link and lines.
run_to_end() {
  : >"$QD_SESSION/wine.log"
  : >"$QD_URL_LOG"
  WINEDEBUG=warn+seh start_exe
  wait_exe 90
  link=$(urls | head -n 1)
  lines=$(debug_lines "$QD_SESSION/wine.log")
}

# ---- A normal run, for the keys a link of this machine has -----------------
run_to_end
check "normal run: exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
normal_keys=$(link_keys "$link" | tr '\n' ' ')
echo "normal link keys: $normal_keys"
check "normal run: the link names the graphics card" grep -qw gpu <<<"$normal_keys"

# ---- Graphics: CreateDXGIFactory1 never returns --------------------------------
plant dxgi
: >"$QD_SESSION/wine.log"
: >"$QD_URL_LOG"
WINEDEBUG=warn+seh start_exe
wait_window 30 >/dev/null
wait_text "$(value_id 1)" '^not found$' 60 && not_found_ms=$(( $(now_ms) - exe_started_ms )) || not_found_ms=
echo "graphics row 'not found' seen ${not_found_ms:-never} ms after the start"
# Lower bound only: the probe starts after the process does, so the row cannot
# say so before the deadline has passed since the start.
expect "stuck graphics: the graphics row says 'not found', not before the deadline (${not_found_ms:-never} >= $deadline_ms ms)" \
  '[ -n "$not_found_ms" ] && [ "$not_found_ms" -ge "$deadline_ms" ]'

check "stuck graphics: the settings row follows" wait_text "$(value_id 5)" ' checked$' 30
for row in 0 2 3 5; do
  check "stuck graphics: row $row found (role $(role_of "$snap" "$(value_id $row)"))" \
    [ "$(role_of "$snap" "$(value_id $row)")" = 4 ]
done
wait_exe 60
check "stuck graphics: exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
link=$(urls | head -n 1)
lines=$(debug_lines "$QD_SESSION/wine.log")
echo "link: $link"
expect "stuck graphics: the link opened without gpu= and with the rest" \
  '[[ "$link" == "$site_origin/detect?"* ]] && [[ "$link" != *"&gpu="* ]] && [[ "$link" == *"&cpu="*"&ram="*"&w="* ]]'
check "stuck graphics: the debug line says it timed out" \
  grep -qxF "Quellix Detect: graphics: timed out after $deadline_ms ms" <<<"$lines"
check "stuck graphics: the driver date has no graphics card to look up" \
  grep -qxF "Quellix Detect: driver date: no graphics card to look up" <<<"$lines"

# ---- Closing during the stall ---------------------------------------------
: >"$QD_URL_LOG"
start_exe
wait_window 30 >/dev/null
sleep 1  # the graphics probe is stalled now: the row stays pending for the deadline
check "closing: the graphics row is still pending" wait_text "$(value_id 1)" '^…$' 2
acted_ms=$(now_ms)
key Escape
wait_exe 30
echo "closed during the stall: exit $exe_status $((exe_ended_ms - acted_ms)) ms after Escape"
check "closing: exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
check "closing: ended within $exit_limit_ms ms of the close" [ $((exe_ended_ms - acted_ms)) -le "$exit_limit_ms" ]
check "closing: nothing opened" [ -z "$(urls)" ]
unplant dxgi

# ---- Power plan: PowerGetActiveScheme never returns ----------------------------
plant powrprof
run_to_end
unplant powrprof
check "stuck power plan: exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
stuck_keys=$(link_keys "$link" | tr '\n' ' ')
echo "stuck power plan link keys: $stuck_keys"
check "stuck power plan: the link has a normal run's keys (pp is absent under Wine anyway)" \
  [ "$stuck_keys" = "$normal_keys" ]
check "stuck power plan: the debug line says it timed out" \
  grep -qxF "Quellix Detect: power plan: timed out after $deadline_ms ms" <<<"$lines"
check "stuck power plan: one line for the power plan" [ "$(grep -c '^Quellix Detect: power plan: ' <<<"$lines")" -eq 1 ]
finish
