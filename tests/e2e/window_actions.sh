#!/usr/bin/env bash
# The user's ways out and in, on the real exe, one run each in one session:
# Cancel, Escape and Enter on Cancel during the scan close at once; Open now
# during the countdown opens at once; Enter acts on the focused button (Tab to
# Cancel, Enter: not opened); Escape in the countdown cancels the opening, then Enter
# on the default button opens after all. Every run ends with exit code 0.
. "$(dirname "$0")/lib/window.sh"

url_count() { urls | wc -l; }
# The browser stand-in is started by the shell and writes a moment after the
# window already says "Opened": wait up to 10 s for the N-th link.
wait_urls() { local i; for i in $(seq 200); do [ "$(url_count)" -ge "$1" ] && break; sleep 0.05; done; [ "$(url_count)" -eq "$1" ]; }

# Every run is read through its watch (see lib/window.sh): the script acts as
# soon as the record shows the phase it acts in, and a check of a phase reads
# the window as the record shows it then, so no count is missed between two
# snapshots on a busy machine.
#
# How soon an action must show its effect, from the moment the script starts
# it (a busy machine takes a while to deliver a key) to the record's sight of
# the effect. The limit tells "at once" from "by itself": the window does the
# same by itself no sooner than 2 s after the script acts on the first sight
# of a count of 3 (the countdown opens, Opened closes), and never in the scan.
# The record also tells which did it, whatever the load: the effect of the
# action comes before the count has run out (in the scan, before the countdown).
at_once_ms=2500

# Starts the exe and waits for its window with the focus on Cancel, as the
# scan begins; the window then goes to $snap.
start_and_watch() {
  start_watched_exe
  check "the window shows with the focus on Cancel" watch_focus $id_secondary 30
}

# Waits for the countdown to begin; the window then goes to $snap.
wait_countdown() { check "the countdown begins" watch_wait $id_message 'in 3…$' 30; }

# A count above 1: the window was still counting, the count had not run out.
counting_pattern='in ([2-9]|10)…$'

# closes_at_once WHAT ID PATTERN: the window is gone soon after the script's
# last action, the exe ends with 0, and the record's last sight of the window
# shows control ID's text still matching PATTERN: the action closed it,
# nothing later.
closes_at_once() {
  local what=$1 id=$2 pattern=$3 last t_gone took
  wait_gone
  wait_watched_exe 30
  check "$what: exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
  t_gone=$(gone_time)
  took=$(( ${t_gone:-99999} - acted_t ))
  expect "$what closes the window at once ($took ms, limit $at_once_ms)" '[ -n "$t_gone" ] && [ "$took" -lt "$at_once_ms" ]'
  watch_state last
  last=$(text_of "$state" "$id")
  expect "$what: the window went while it showed '$last'" '[[ $last =~ $pattern ]]'
}

# ---- Cancel during the scan --------------------------------------------------
start_and_watch
check "scanning: only Cancel, focused" \
  [ "$(text_of "$snap" $id_header)|$(visible_of "$snap" $id_primary)|$(text_of "$snap" $id_secondary)|$(field "$(window_line "$snap")" focus)" = \
    "Scanning your PC…|0|Cancel|2" ]
act click_control "$snap" $id_secondary
closes_at_once "Cancel during the scan" $id_header '^Scanning your PC…$'

# ---- Escape during the scan ------------------------------------------------------
start_and_watch
check "still scanning when Escape is pressed" [ "$(text_of "$snap" $id_header)" = "Scanning your PC…" ]
act key Escape
closes_at_once "Escape during the scan" $id_header '^Scanning your PC…$'

# ---- Enter on Cancel during the scan ----------------------------------------------
start_and_watch  # with the focus on Cancel
check "still scanning when Enter is pressed" [ "$(text_of "$snap" $id_header)" = "Scanning your PC…" ]
act key Return
closes_at_once "Enter on Cancel during the scan" $id_header '^Scanning your PC…$'
check "nothing opened by closing during the scan" [ "$(url_count)" -eq 0 ]

# ---- Open now during the countdown, then Escape -------------------------------------
start_and_watch
wait_countdown
act click_control "$snap" $id_primary
open_mark=$watch_mark
took=99999
watch_wait $id_message '^Opened ' && took=$(( seen_t - acted_t ))
act key Escape  # at once: Opened closes by itself after its count
closes_at_once "Escape when opened" $id_message "$counting_pattern"
watch_mark=$open_mark  # the record from the click on
watch_state before $id_message '^Opened '; counted=$(text_of "$state" $id_message)
expect "Open now opens at once ($took ms, limit $at_once_ms), before the count ran out ('$counted')" \
  'wait_urls 1 && [ "$took" -lt "$at_once_ms" ] && [[ $counted =~ $counting_pattern ]]'
watch_state during $id_message '^Opened '; opened=$state
check "Opened shows the host and only Close, focused" \
  [ "$(text_of "$opened" $id_message)|$(text_of "$opened" $id_primary)|$(visible_of "$opened" $id_secondary)|$(field "$(window_line "$opened")" focus)" = \
    "Opened $site_host — your rig is ready. Closing in 3…|Close|0|1" ]
check "the link was opened once" [ "$(url_count)" -eq 1 ]

# ---- Tab to Cancel, Enter: not opened; Escape then closes ------------------------------
start_and_watch
wait_countdown
check "the countdown focuses Open now" watch_focus $id_primary
act key Tab
check "Tab moves the focus to Cancel" watch_focus $id_secondary
act key Return
watch_wait $id_message '^Not opened'
check "the new state focuses Open now" watch_focus $id_primary
check "the close countdown runs" watch_wait $id_message 'Closing in 9…$'
watch_state during $id_message '^Not opened'  # until it said 9
check "Enter on Cancel: not opened, ten seconds" \
  [ "$(text_of "$state" $id_message)|$(text_of "$state" $id_primary)|$(text_of "$state" $id_secondary)" = \
    "Not opened. Choose Open now to see Quellix. Closing in 10…|Open now|Close" ]
act key Escape
closes_at_once "Escape when not opened" $id_message "$counting_pattern"
check "cancelling opened nothing" [ "$(url_count)" -eq 1 ]

# ---- Escape in the countdown, then Enter opens after all ----------------------------------
start_and_watch
wait_countdown
act key Escape
watch_wait $id_message '^Not opened'
key Return
t_open=
expect "Enter opens after all" 'watch_wait $id_message "^Opened " && t_open=$seen_t'
watch_state during $id_message '^Not opened'
check "Escape in the countdown: not opened, ten seconds" \
  [ "$(text_of "$state" $id_message)" = "Not opened. Choose Open now to see Quellix. Closing in 10…" ]
check "Enter with the focus on Open now opens" wait_urls 2
wait_gone 30
wait_watched_exe 30
t_gone=$(gone_time)
# The three counts of Opened, less a late sight of it; not the ten of Not opened.
expect "then closes by itself about 3 s later ($((${t_gone:-0} - t_open)) ms)" \
  '[ -n "$t_gone" ] && in_range $((t_gone - t_open)) $((3000 - late)) 6000'
check "exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
finish
