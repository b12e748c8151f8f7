#!/usr/bin/env bash
# What a screen reader hears, and the time it is given, on the real exe.
#
# A normal run, watched by `winspy --events` (an out-of-context WinEvent hook
# in its own process, up for the whole run): the message raises a live-region
# event at each change, every count of both countdowns included, the header
# when it changes, and the announcer says each row once, label and value
# together, as the row shows it.
#
# With the screen reader flag set before the start (what SPI_SETSCREENREADER
# stores): after the scan the window waits on Open now; 10 s later nothing has
# been opened; Open now opens the link, and 10 s after that the window is still
# there; Escape closes it with exit code 0. (A screen reader switched on while a
# count runs is a window test: Wine keeps each process's first answer to
# SPI_GETSCREENREADER, so a running exe cannot see another process switch it.)
. "$(dirname "$0")/lib/window.sh"

id_announcer=$(control_id announcer)
[ -n "$id_announcer" ] || { echo "cannot read the announcer's id"; exit 1; }
url_count() { urls | wc -l; }

# ---- A normal run: what is announced -------------------------------------------
events=$QD_SESSION/events.txt
wine "$spy_exe" --events 60000 2>/dev/null > "$events" &
events_pid=$!
for _ in $(seq 600); do grep -q '^ready' "$events" && break; sleep 0.05; done
check "the event watcher is ready" grep -q '^ready' "$events"
start_exe
wait_window 30 >/dev/null
# The rows' values as the window shows them, read while the countdown runs.
for _ in $(seq 600); do grep -q "live id=$id_message .*text=Opening" "$events" && break; sleep 0.05; done
rows=$(spy)
wait_exe 30
check "exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
wait "$events_pid"
check "the watcher saw the window go" grep -q ' gone$' "$events"

# texts ID: the texts of control ID's events, one a line, in order.
texts() { grep -E "^t=[0-9]+ live id=$1 " "$events" | sed 's/^[^ ]* live id=[0-9]* //'; }
check "every event is the client object's own (OBJID_CLIENT, CHILDID_SELF)" \
  [ -z "$(grep ' live ' "$events" | grep -v ' object=-4 child=0 ')" ]
strip() { sed 's/^object=-4 child=0 text=//'; }

expected_message="Reading your hardware and Windows settings. This takes a second.
Opening Quellix in your browser in 3…
Opening Quellix in your browser in 2…
Opening Quellix in your browser in 1…
Opened $site_host — your rig is ready. Closing in 3…
Opened $site_host — your rig is ready. Closing in 2…
Opened $site_host — your rig is ready. Closing in 1…"
got_message=$(texts "$id_message" | strip)
check "the message: one event per change, each count included" [ "$got_message" = "$expected_message" ]
[ "$got_message" = "$expected_message" ] || printf 'got:\n%s\n' "$got_message"
got_header=$(texts "$id_header" | strip)
check "the header: one event, when the scan completes ('$got_header')" [ "$got_header" = "Scan complete" ]

labels=("Processor" "Graphics card" "Memory" "Display" "Storage" "Windows settings")
expected_rows=
for row in 0 1 2 3 4 5; do
  value=$(text_of "$rows" "$(value_id "$row")")
  expected_rows+="${labels[$row]}: $value"$'\n'
done
got_rows=$(texts "$id_announcer" | strip)
check "each row said once, label and value as shown" [ "$got_rows" = "${expected_rows%$'\n'}" ]
[ "$got_rows" = "${expected_rows%$'\n'}" ] || printf 'got:\n%s\nexpected:\n%s\n' "$got_rows" "$expected_rows"
check "nothing else raised an event" \
  [ "$(grep -c ' live ' "$events")" -eq $(( $(printf '%s\n' "$expected_message" | wc -l) + 1 + 6 )) ]
check "the link was opened once" [ "$(url_count)" -eq 1 ]

# ---- A screen reader is running: no time limit -----------------------------------
wine reg add 'HKCU\Control Panel\Accessibility\Blind Access' /v On /t REG_SZ /d 1 /f >/dev/null 2>&1
waiting="Choose Open now to see Quellix in your browser."
start_exe
wait_window 30 >/dev/null
check "after the scan the window waits" wait_text $id_message "^$waiting\$" 30
check "... with the focus on Open now" wait_focus $id_primary
check "... under 'Scan complete'" [ "$(text_of "$snap" $id_header)" = "Scan complete" ]
check "... with every row filled in" [ "$(role_of "$snap" "$(value_id 5)")" != 3 ]
sleep 10
snap=$(spy)
check "10 s later nothing has been opened and the window still waits" \
  [ "$(url_count)|$(text_of "$snap" $id_message)" = "1|$waiting" ]
click_control "$snap" $id_primary
check "Open now opens" wait_text $id_message "^Opened "
for _ in $(seq 200); do [ "$(url_count)" -ge 2 ] && break; sleep 0.05; done
check "... the link, once" [ "$(url_count)" -eq 2 ]
opened="Opened $site_host — your rig is ready."
check "... and says so, with no count ('$(text_of "$snap" $id_message)')" [ "$(text_of "$snap" $id_message)" = "$opened" ]
sleep 10
snap=$(spy)
check "10 s later the window is still open, unchanged" \
  [ "$(field "$(window_line "$snap")" found)|$(text_of "$snap" $id_message)" = "1|$opened" ]
key Escape
check "Escape closes it" wait_gone
wait_exe 30
check "exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
check "nothing more was opened" [ "$(url_count)" -eq 2 ]
finish
