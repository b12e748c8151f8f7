#!/usr/bin/env bash
# High Contrast, which Wine cannot switch on: the test build of the exe takes
# QD_HIGH_CONTRAST=1 from its environment in place of the system's setting.
# With a theme of its own in the prefix, the window, the card, the link band,
# the texts, marks and buttons show the theme's colours and no palette colour
# anywhere, in the countdown and in the fallback with the link box. The
# shipped exe, given the same variable, paints its palette as before and none
# of the theme's colours.
. "$(dirname "$0")/lib/window.sh"

# Every colour differs from the others and none is a grey, so that no blend of
# two of them at a glyph's edge can look like a palette colour.
window=100040 text=FFFF00 face=004000 face_text=00FFFF highlight=FF8000 highlight_text=000000 gray=C060FF
theme=("$window" "$text" "$face" "$face_text" "$highlight" "$highlight_text" "$gray")
system_colours "16 0 64" "255 255 0" "0 64 0" "0 255 255" "255 128 0" "0 0 0" "192 96 255"
wine reg delete 'HKLM\Software\Classes\https' /f >/dev/null 2>&1  # the shell fails: the link band shows

# Each run is read through its watch (see lib/window.sh): the countdown lasts
# 3 s, and its picture must be taken in it.
# shoot_client NAME: a screenshot; sets ox, oy (the client area's corner), cw, ch and shot.
shoot_client() {
  shot=$shots/$1.png
  sleep 0.3  # let the last change paint
  watch_state last; snap=$state
  screenshot "$shot"
  read -r ox oy <<< "$(client_origin "$snap")"
  cw=$(field "$(window_line "$snap")" cw); ch=$(field "$(window_line "$snap")" ch)
}
px() { pixel "$shot" $((ox + $1)) $((oy + $2)); }
in_client() { colours_in "$shot" "$ox" "$oy" "$cw" "$ch" "$@" | tr '\n' ' '; }
mark_colours() { colours_in "$shot" $((ox + 38)) $((oy + 73)) 15 $((34 * 5 + 13)) "$@" | tr '\n' ' '; }

# ---- High Contrast on: the theme's colours -------------------------------------------
QD_EXE=$test_exe QD_HIGH_CONTRAST=1 start_watched_exe
wait_window 30 >/dev/null
check "the countdown begins" watch_wait $id_message '^Opening' 30
shoot_client hc-countdown
# At 96 DPI: card (24, 62)-(496, 266), rows 34 high, buttons from y 330.
check "window, card and its outline, a separator" \
  [ "$(px 10 150)/$(px 30 79)/$(px 24 79)/$(px 260 96)" = "$window/$window/$text/$text" ]
check "the texts in the window's text colour" region_has "$shot" $((ox + 24)) $((oy + 16)) 300 30 "$text"
check "the row labels too" region_has "$shot" $((ox + 64)) $((oy + 66)) 120 26 "$text"
check "found rows have the check in the highlight colour" [ "$(mark_colours "$highlight")" = "#$highlight " ]
check "button 1 in the highlight, button 2 in the button face, outlined in its text colour" \
  [ "$(px 246 348)/$(px 380 348)/$(px 376 348)" = "$highlight/$face/$face_text" ]
check "no palette colour anywhere in the window (${cw}x$ch)" [ -z "$(in_client "${palette_colours[@]}")" ]
echo "colours seen: $(in_client "${theme[@]}")"

# The count runs out and the shell fails: the fallback. (A key pressed here
# could arrive after the count has run out and press Copy link instead.)
check "the fallback shows the link box" watch_wait $id_header '^Could not open your browser$' 20
check "... and nothing was copied" [ "$(text_of "$snap" $id_primary)" = "Copy link" ]
shoot_client hc-failed
check "the link band: outlined, on the window's colour" [ "$(px 24 346)/$(px 27 346)" = "$text/$window" ]
check "the link in the window's text colour" region_has "$shot" $((ox + 36)) $((oy + 336)) 200 20 "$text"
check "no palette colour anywhere in the fallback (${cw}x$ch)" [ -z "$(in_client "${palette_colours[@]}")" ]
key Escape
check "Escape closes" wait_gone
wait_watched_exe 15

# ---- The shipped exe has no such hook: the palette, as before ----------------------
QD_HIGH_CONTRAST=1 start_watched_exe
wait_window 30 >/dev/null
check "the countdown begins" watch_wait $id_message '^Opening' 30
shoot_client palette-countdown
check "window, card, a separator in the palette" \
  [ "$(px 10 150)/$(px 30 79)/$(px 24 79)/$(px 260 96)" = "1C1C1C/262626/262626/303030" ]
check "button 1 in the accent, button 2 in the line colour" [ "$(px 246 348)/$(px 380 348)" = "9FD38A/303030" ]
check "none of the theme's colours in the window" [ -z "$(in_client "${theme[@]}")" ]
check "the fallback" watch_wait $id_header '^Could not open your browser$' 20
key Escape
check "Escape closes" wait_gone
wait_watched_exe 15
finish
