# Helpers for the end-to-end tests: start the real exe in the session that
# session.sh prepared, watch its window, and check what a user would see.
# A script that sources this runs with `set -u`, and every process it starts
# in the background is ended when it ends, however it ends.
set -u
here_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here_lib/common.sh"
: "${QD_SESSION:?run through tests/wine/session.sh}"

reap() {
  local pids
  pids=$(jobs -p)
  [ -z "$pids" ] && return 0
  kill $pids 2>/dev/null
  wait 2>/dev/null
  return 0
}
trap reap EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }
finish() {
  if [ "$failures" -eq 0 ]; then echo "1 passed, 0 failed"; exit 0; fi
  echo "0 passed, 1 failed ($failures checks)"; exit 1
}

# Unix time in ms, without starting a process (bash 5's clock).
now_ms() { local us=${EPOCHREALTIME/[.,]/}; echo "${us%???}"; }

# A Linux path as Windows programs under Wine see it (drive Z: is /).
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

# Starts the exe in the background; sets exe_pid and exe_started_ms.
start_exe() {
  exe_started_ms=$(now_ms)
  wine "$QD_EXE" "$@" 2>>"$QD_SESSION/wine.log" &
  exe_pid=$!
}

# Waits for the exe to end (at most $1 seconds); sets exe_status (124 on time-out)
# and exe_ended_ms.
wait_exe() {
  local limit=${1:-30} waited=0
  while kill -0 "$exe_pid" 2>/dev/null; do
    sleep 0.1; waited=$((waited + 1))
    if [ "$waited" -ge $((limit * 10)) ]; then
      exe_status=124; exe_ended_ms=$(now_ms); kill "$exe_pid" 2>/dev/null; return 1
    fi
  done
  wait "$exe_pid"; exe_status=$?
  exe_ended_ms=$(now_ms)
}

# The X window id of the main window once it is visible.
wait_window() {
  timeout "${1:-30}" xdotool search --sync --onlyvisible --name '^Quellix Detect$' 2>/dev/null | head -n 1
}

window_gone() { ! xdotool search --onlyvisible --name '^Quellix Detect$' >/dev/null 2>&1; }

screenshot() { import -display "$DISPLAY" -window root "$1"; }

# Lines the browser stand-in received.
urls() { cat "$QD_URL_LOG" 2>/dev/null; }
