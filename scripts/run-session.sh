#!/usr/bin/env bash
# Runs inside the session that tests/wine/session.sh prepared for `make run`.
. "$(dirname "$0")/../tests/wine/e2e-lib.sh"

start_exe
shot_taken=
while kill -0 "$exe_pid" 2>/dev/null; do
  if [ -z "$shot_taken" ] && [ -s "$QD_URL_LOG" ]; then
    sleep 0.3; screenshot "$QD_SHOT"; shot_taken=1
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
echo "screenshot: $QD_SHOT"
