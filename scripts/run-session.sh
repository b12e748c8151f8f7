#!/usr/bin/env bash
# Runs inside the session that tests/wine/session.sh prepared for `make run`:
# starts the program, lets it run its course (scan, countdown, opening, closing
# itself), prints the report link it handed to the browser and saves a
# screenshot of the window once it shows that it opened the link, then the
# program's debug lines: why each absent finding is absent.
. "$(dirname "$0")/../tests/e2e/lib/window.sh"
. "$(dirname "$0")/../tests/e2e/lib/debug_lines.sh"

: >"$QD_SESSION/wine.log"
WINEDEBUG=warn+seh start_exe
shot_taken=
while kill -0 "$exe_pid" 2>/dev/null; do
  if [ -z "$shot_taken" ] && [ -s "$QD_URL_LOG" ]; then
    # The URL reaches the browser stand-in before the window says so.
    wait_text $id_message '^Opened ' 2 >/dev/null || true
    screenshot "$QD_SHOT"; shot_taken=1
  fi
  sleep 0.1
done
wait "$exe_pid"; status=$?
[ -n "$shot_taken" ] || screenshot "$QD_SHOT" 2>/dev/null || true
echo "exit code: $status"
if [ -s "$QD_URL_LOG" ]; then
  echo "ReportLink opened:"; cat "$QD_URL_LOG"
else
  echo "No link was opened."
fi
lines=$(debug_lines "$QD_SESSION/wine.log")
if [ -n "$lines" ]; then
  echo "Why findings are missing (the program's debug output):"; sed 's/^/  /' <<<"$lines"
else
  echo "No finding is missing."
fi
echo "screenshot: $QD_SHOT"
