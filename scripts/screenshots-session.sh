#!/usr/bin/env bash
# Runs inside a session that tests/wine/session.sh prepared for `make
# screenshots`: three runs of the program at QD_SHOT_DPI, photographing each
# phase as it appears, into QD_SHOT_DIR.
. "$(dirname "$0")/../tests/wine/e2e-lib.sh"
: "${QD_SHOT_DPI:?}" "${QD_SHOT_DIR:?}"
dpi=$QD_SHOT_DPI

# Fields of the program's window as winspy prints them.
spy() { wine "$QD_WIN/winspy.exe" 2>/dev/null | tr -d '\r'; }
child_text() { sed -n "s/^child id=$1 .* text=//p" <<<"$2"; }
field() { sed -E 's/ text=.*//' <<<"$2" | sed -nE "s/.* $1=(-?[0-9]+).*/\1/p"; }

# wait_for ID REGEX SECONDS: until control ID's text matches; leaves the
# last snapshot in $snapshot.
wait_for() {
  local deadline=$(( $(now_ms) + $3 * 1000 ))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    snapshot=$(spy)
    if child_text "$1" "$snapshot" | grep -Eq "$2"; then return 0; fi
    sleep 0.05
  done
  fail "control $1 never matched /$2/ at $dpi DPI"; return 1
}

window_id() { xdotool search --onlyvisible --name '^Quellix Detect$' 2>/dev/null | head -n 1; }

wait_visible() {
  local i
  for i in $(seq 600); do
    wid=$(window_id); [ -n "$wid" ] && return 0
    sleep 0.05
  done
  fail "no window at $dpi DPI"; return 1
}

# shoot NAME: the window, cropped from a picture of the whole screen.
shoot() {
  local X Y WIDTH HEIGHT SCREEN WINDOW out=$QD_SHOT_DIR/$1-$dpi.png
  sleep 0.2  # let the last change paint
  eval "$(xdotool getwindowgeometry --shell "$(window_id)")"
  import -display "$DISPLAY" -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
  echo "saved $out (${WIDTH}x${HEIGHT})"
}

end_run() {
  kill -0 "$exe_pid" 2>/dev/null && xdotool key Escape
  wait_exe 15 || fail "the program did not close"
}

wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1

# Run 1: scanning, the countdown, then the browser opens.
start_exe
wait_visible && sleep 0.45 && shoot scanning
if wait_for 130 '^Opening' 15; then
  # The client width is s(520) at the window's DPI. (GetDpiForWindow on another
  # process's window reads 96 under Wine, so the size is the witness.)
  check "the window is laid out for $dpi DPI (client width $(field cw "$snapshot"))" \
    [ "$(field cw "$snapshot")" = "$((dpi * 520 / 96))" ]
  shoot countdown
fi
wait_for 130 '^Opened ' 15 && shoot opened
end_run

# Run 2: Escape during the countdown.
start_exe
if wait_for 130 '^Opening' 15; then
  xdotool key Escape
  wait_for 130 '^Not opened' 5 && shoot not-opened
fi
end_run

# Run 3: no handler for https, so the browser cannot be started; then Copy link.
wine reg delete 'HKLM\Software\Classes\https' /f >/dev/null 2>&1
start_exe
if wait_for 100 '^Could not open your browser' 20; then
  shoot could-not-open
  button=$(grep '^child id=1 ' <<<"$snapshot")
  x=$(( $(field sx "$button") + $(field w "$button") / 2 ))
  y=$(( $(field sy "$button") + $(field h "$button") / 2 ))
  xdotool mousemove --sync "$x" "$y" click 1
  wait_for 130 '^Link copied' 5 && shoot copied
fi
end_run
finish
