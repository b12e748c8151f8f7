#!/usr/bin/env bash
# The window at 120 and 144 DPI (LogPixels in the prefix; 96 is covered by the
# other scripts): client size and every control's place follow the layout,
# the window is centred on the screen, and the card and separators are painted
# at the scaled places.
. "$(dirname "$0")/lib/window.sh"

place() { local l; l=$(child "$snap" "$1"); echo "$(field "$l" x),$(field "$l" y),$(field "$l" w),$(field "$l" h)"; }

# run_at DPI CLIENT HEADER LABEL0 VALUE5 MESSAGE LINKBOX BUTTON2 FOOTNOTE SEPARATOR_Y
run_at() {
  local dpi=$1
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  start_exe
  wait_window 30 >/dev/null
  # Once the first row is in, the window has painted.
  check "$dpi DPI: the first row comes in" wait_text $(value_id 0) '^[^…]'
  local w; w=$(window_line "$snap")
  check "$dpi DPI: client $2 (got $(field "$w" cw)x$(field "$w" ch))" [ "$(field "$w" cw)x$(field "$w" ch)" = "$2" ]
  local got="$(place $id_header) $(place $(label_id 0)) $(place $(value_id 5)) $(place $id_message) $(place $id_link_box) $(place $id_secondary) $(place $id_footnote)"
  local want="$3 $4 $5 $6 $7 $8 $9"
  check "$dpi DPI: controls at their places" [ "$got" = "$want" ]
  [ "$got" = "$want" ] || echo "  got:  $got"$'\n'"  want: $want"
  check "$dpi DPI: centred on the screen" \
    [ "$(field "$w" x),$(field "$w" y)" = "$(( (1920 - $(field "$w" w)) / 2 )),$(( (1080 - $(field "$w" h)) / 2 ))" ]
  screenshot "$shots/$dpi.png"
  local ox oy sep=${10}
  read -r ox oy <<< "$(client_origin "$snap")"
  px() { pixel "$shots/$dpi.png" $((ox + $1)) $((oy + $2)); }
  local card_left=${4%%,*}  # the label's left edge lies inside the card
  check "$dpi DPI: card, first separator, card below it" \
    [ "$(px $((card_left - 20)) $((sep - 3)))/$(px 300 "$sep")/$(px 300 $((sep + 1)))" = "262626/303030/262626" ]
  key Escape
  wait_exe 30
  check "$dpi DPI: exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
}

#      dpi client  header          label 0        value 5          message          link box        button 2         footnote        separator
run_at 120 650x538 30,22,590,40 80,78,165,40 237,288,366,40 30,349,590,50 35,416,580,25 465,409,155,45 30,476,590,45 119
run_at 144 780x651 36,27,708,48 96,94,198,49 285,349,438,49 36,423,708,60 42,504,696,30 558,495,186,54 36,576,708,54 144
finish
