#!/usr/bin/env bash
# Runs one test in a throw-away copy of the template prefix, inside a private
# Xvfb display, and cleans both up afterwards.
#   session.sh PROGRAM.exe [ARGS...]   runs a Windows program under Wine
#   session.sh --e2e SCRIPT            runs a test script with the session set up
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
: "${QD_WORK:?}" "${QD_WIN:?}"

mkdir -p "$QD_WORK"
session=$(mktemp -d "$QD_WORK/session.XXXXXX")
export WINEPREFIX=$session/prefix
export QD_SESSION=$session
export QD_URL_LOG=$session/urls.txt
export QD_EXE=$QD_WIN/quellix-detect.exe
cp -a "$QD_WORK/template" "$WINEPREFIX"

cleanup() {
  { "$WINESERVER" -k; "$WINESERVER" -w; } >/dev/null 2>&1
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [ -z "${QD_KEEP:-}" ]; then rm -rf "$session"; fi
}
trap cleanup EXIT

if [ -n "${QD_REUSE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
  : # run on the caller's display
else
Xvfb -displayfd 3 -screen 0 "${QD_SCREEN:-1920x1080x24}" -nolisten tcp ${QD_XVFB_ARGS:-} \
  3>"$session/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do [ -s "$session/display" ] && break; sleep 0.05; done
display=$(tr -d '\n' < "$session/display")
[ -n "$display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$display
fi

if [ "${1:-}" = "--e2e" ]; then
  shift
  bash "$@" 2>&1
else
  wine "$@"
fi
status=$?
exit $status
