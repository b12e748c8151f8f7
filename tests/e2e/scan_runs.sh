#!/usr/bin/env bash
# The real exe starts under Wine, runs the whole scan and ends with exit code 0.
. "$(dirname "$0")/../wine/e2e-lib.sh"

start_exe
wait_exe 30
check "exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
elapsed=$((exe_ended_ms - exe_started_ms))
echo "ran for ${elapsed} ms"
check "the paced scan takes at least 1.08 s" [ "$elapsed" -ge 1080 ]
finish
