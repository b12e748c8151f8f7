#!/usr/bin/env bash
# Runs inside a session that tests/wine/session.sh prepared for `make
# screenshots`: four runs of the program at QD_SHOT_DPI, photographing each
# phase as it appears, into QD_SHOT_DIR; the third with a screen reader
# running, where the window waits for the user after the scan. With QD_SHOT_THEME=hc-white, the
# opened and could-not-open phases under High Contrast White, named
# hc-white-<phase>-<dpi>.png: the theme's system colours in the prefix, and the
# test build of the exe told by QD_HIGH_CONTRAST=1 that High Contrast is on.
. "$(dirname "$0")/../tests/e2e/lib/window.sh"
: "${QD_SHOT_DPI:?}" "${QD_SHOT_DIR:?}"
dpi=$QD_SHOT_DPI
theme=${QD_SHOT_THEME:-}
case $theme in
  '') phases=" scanning countdown opened not-opened could-not-open copied screen-reader-waiting " ;;
  hc-white)
    phases=" opened could-not-open "
    #             window        window text  button face   button text  highlight   highlight text  gray text
    system_colours "255 255 255" "0 0 0"     "255 255 255" "0 0 0"      "55 0 110"  "255 255 255"   "96 0 0"
    export QD_EXE=$test_exe QD_HIGH_CONTRAST=1 ;;
  *) fail "unknown QD_SHOT_THEME '$theme'"; finish ;;
esac
wanted() { [[ $phases == *" $1 "* ]]; }

# wait_for ID PATTERN SECONDS: until control ID's text matches; leaves the
# last snapshot in $snap.
wait_for() {
  wait_text "$@" && return 0
  fail "control $1 never matched /$2/ at $dpi DPI"; return 1
}

# shoot NAME: the window, cropped from a picture of the whole screen, if this
# theme wants the phase.
shoot() {
  wanted "$1" || return 0
  local X Y WIDTH HEIGHT SCREEN WINDOW out=$QD_SHOT_DIR/${theme:+$theme-}$1-$dpi.png
  sleep 0.2  # let the last change paint
  eval "$(xdotool getwindowgeometry --shell "$(wait_window 5)")"
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
if [ -n "$(wait_window 30)" ]; then sleep 0.45; shoot scanning; else fail "no window at $dpi DPI"; fi
if wait_for $id_message '^Opening' 15; then
  # The client width is s(520) at the window's DPI. (GetDpiForWindow on another
  # process's window reads 96 under Wine, so the size is the witness.)
  client_width=$(field "$(window_line "$snap")" cw)
  check "the window is laid out for $dpi DPI (client width $client_width)" [ "$client_width" = "$((dpi * 520 / 96))" ]
  shoot countdown
fi
wait_for $id_message '^Opened ' 15 && shoot opened
end_run

# Run 2: Escape during the countdown.
if wanted not-opened; then
  start_exe
  if wait_for $id_message '^Opening' 15; then
    xdotool key Escape
    wait_for $id_message '^Not opened' 5 && shoot not-opened
  fi
  end_run
fi

# Run 3: a screen reader is running (the flag SPI_SETSCREENREADER stores): the
# scan, then the window waits on Open now. Escape: not opened, still waiting;
# Escape again closes.
if wanted screen-reader-waiting; then
  wine reg add 'HKCU\Control Panel\Accessibility\Blind Access' /v On /t REG_SZ /d 1 /f >/dev/null 2>&1
  start_exe
  wait_for $id_message '^Choose Open now' 20 && shoot screen-reader-waiting
  xdotool key Escape
  wait_for $id_message '^Not opened' 5
  end_run
  wine reg add 'HKCU\Control Panel\Accessibility\Blind Access' /v On /t REG_SZ /d 0 /f >/dev/null 2>&1
fi

# Run 4: no handler for https, so the browser cannot be started; then Copy link.
wine reg delete 'HKLM\Software\Classes\https' /f >/dev/null 2>&1
start_exe
if wait_for 100 '^Could not open your browser' 20; then
  shoot could-not-open
  if wanted copied; then
    click_control "$snap" 1
    wait_for $id_message '^Link copied' 5 && shoot copied
  fi
fi
end_run
finish
