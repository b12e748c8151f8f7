#!/usr/bin/env bash
# The shell cannot open the link (no https association in the prefix): the
# window shows the link in its box, grows by the link band, Copy link puts
# exactly the link on the clipboard and the caption becomes "Copied". Enter in
# the link box acts on button 1; the focus comes back to the control that had
# it after the window was deactivated; Enter on Close ends the program.
. "$(dirname "$0")/lib/window.sh"

wine reg delete 'HKLM\Software\Classes\https' /f >/dev/null 2>&1

# The run is read through its watch (see lib/window.sh): Enter must reach the
# countdown, which lasts 3 s, and the watch sees it begin at once.
start_watched_exe
wait_window 30 >/dev/null
check "the countdown begins" watch_wait $id_message 'in 3…$' 30
before=$(window_line "$snap")
act key Return  # Open now
check "the shell's failure shows the fallback" watch_wait $id_header '^Could not open your browser$'
mark  # the focus from here on, not the countdown's
check "the fallback focuses Copy link" watch_focus $id_primary
link=$(text_of "$snap" $id_link_box)
echo "link box: $link"
check "nothing reached a browser" [ -z "$(urls)" ]
expect "the link box shows the report link" \
  '[ "$(visible_of "$snap" $id_link_box)" = 1 ] && [[ "$link" == "$site_origin/detect?src=app&v=$program_version&cpu="*"&w=1920&h=1080&"*"gm="* ]]'
check "message and buttons of the fallback" \
  [ "$(text_of "$snap" $id_message)|$(text_of "$snap" $id_primary)|$(text_of "$snap" $id_secondary)|$(field "$(window_line "$snap")" focus)" = \
    "Copy this link and paste it into your browser's address bar:|Copy link|Close|1" ]
after=$(window_line "$snap")
check "client 520 x 480 with the link band (was $(field "$before" cw) x $(field "$before" ch))" \
  [ "$(field "$after" cw)x$(field "$after" ch)/$(field "$before" ch)" = "520x480/434" ]
check "the window grew by 46 and kept its place" \
  [ "$(( $(field "$after" h) - $(field "$before" h) ))/$(field "$after" x),$(field "$after" y)" = \
    "46/$(field "$before" x),$(field "$before" y)" ]
place() { local l; l=$(child "$snap" "$1"); echo "$(field "$l" x),$(field "$l" y),$(field "$l" w),$(field "$l" h)"; }
check "link box, buttons and footnote move below the band" \
  [ "$(place $id_link_box) $(place $id_primary) $(place $id_secondary) $(place $id_footnote)" = "28,336,464,20 238,376,124,36 372,376,124,36 24,430,472,36" ]

screenshot "$shots/failed.png"
read -r ox oy <<< "$(client_origin "$snap")"
px() { pixel "$shots/failed.png" $((ox + $1)) $((oy + $2)); }
check "the link band in the line colour around the box" \
  [ "$(px 25 331)/$(px 494 360)/$(px 260 333)/$(px 260 365)" = "303030/303030/303030/1C1C1C" ]
check "the link's text is drawn in the text colour" \
  region_has "$shots/failed.png" $((ox + 36)) $((oy + 336)) 200 20 F1F1EF

# ---- Enter in the link box copies -------------------------------------------------
act key Tab Tab
check "Tab reaches the link box" watch_focus $id_link_box
act key Return
check "Enter in the link box acts on button 1: Copied" watch_wait $id_primary '^Copied$'
check "the message says the link is copied" \
  [ "$(text_of "$snap" $id_message)" = "Link copied. Paste it into your browser's address bar." ]
clip=$(xclip -o -selection clipboard 2>/dev/null)
check "the clipboard holds exactly the link" [ "$clip" = "$link" ]
check "... with nothing after it" [ "$(xclip -o -selection clipboard 2>/dev/null | wc -c)" -eq "${#link}" ]

# ---- Focus across deactivation -------------------------------------------------------
act key Tab
check "focus on Close before deactivation" watch_focus $id_secondary
# winspy holds its own window in front for 3 s (a busy machine is slow to
# start it); the watch records the program's window losing the activation.
mark
wine "$spy_exe" --deactivate 3000 >/dev/null 2>&1 &
front=$!
wait "$front"
check "another window took the activation" watch_wait window ' active=0 '
watch_state last; snap=$state
if [ "$(field "$(window_line "$snap")" active)" != 1 ]; then
  read -r ox oy <<< "$(client_origin "$snap")"
  xdotool mousemove --sync $((ox + 30)) $((oy + 150)) click 1  # the card's edge: no control there
fi
mark
expect "the focus is back on Close after reactivation" 'watch_wait window " active=1 .* focus=$id_secondary "'
key Return
check "Enter on Close closes" wait_gone
wait_watched_exe 30
check "exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
finish
