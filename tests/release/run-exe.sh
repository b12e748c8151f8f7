#!/usr/bin/env bash
# Runs a given exe (run by session.sh --e2e) through the natural flow with no
# input: it ends by itself with exit code 0 after opening one report link.
#   run-exe.sh EXE VERSION
. "$(dirname "$0")/../wine/e2e-lib.sh"
QD_EXE=$1 version=$2
site_origin=$(sed -n 's/.*site_origin = "\(.*\)";.*/\1/p' "$QD_WIN/generated/site_origin.h")

start_exe
wait_exe 60
check "exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
check "one link opened" [ "$(urls | wc -l)" -eq 1 ]
link=$(urls | head -n 1)
check "the link is the report of version $version (got $link)" \
  [ "${link#"$site_origin/detect?src=app&v=$version&"}" != "$link" ]
finish
