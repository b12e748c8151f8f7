#!/usr/bin/env bash
# Every finding the link leaves out has one debug line that says why, and only
# those: the program writes them with OutputDebugStringW, which Wine shows on
# stderr with WINEDEBUG=warn+seh. On Wine's machine the storage kind, the
# memory speeds and the power plan are absent, each for a reason of its own.
. "$(dirname "$0")/lib/window.sh"
. "$(dirname "$0")/lib/debug_lines.sh"

: >"$QD_SESSION/wine.log"
WINEDEBUG=warn+seh start_exe
wait_exe 60
check "exit code 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
link=$(urls | head -n 1)
lines=$(debug_lines "$QD_SESSION/wine.log")
echo "link: $link"
echo "debug lines:"; sed 's/^/  /' <<<"$lines"
check "the link was opened" [ -n "$link" ]

keys=" $(link_keys "$link" | tr '\n' ' ') "
findings=$(printf '%s\n' "$lines" | sed 's/^Quellix Detect: \([a-z ]*\): .*/\1/')
check "every line is 'Quellix Detect: <finding>: <reason>'" \
  bash -c '! printf "%s\n" "$1" | grep -qv "^Quellix Detect: [a-z ]*: [^ ].*"' _ "$lines"
for key in $all_finding_keys; do
  name=$(finding_of_key "$key")
  case $key in
    h) continue ;;  # travels with w
    ramr | ramc)    # both absent: one line for the two
      [[ "$keys" == *" $key "* ]] || check "$key absent: a line for $name or the memory speeds" \
        grep -qxE "$name|memory speeds" <<<"$findings"
      continue ;;
  esac
  if [[ "$keys" == *" $key "* ]]; then
    check "$key present: no line for $name" bash -c '! grep -qx "$1" <<<"$2"' _ "$name" "$findings"
  else
    check "$key absent: a line for $name" grep -qx "$name" <<<"$findings"
  fi
done
check "one line per finding" [ "$(printf '%s\n' "$findings" | sort | uniq -d | wc -l)" -eq 0 ]

# What Wine's machine gives for the three findings it never has.
check "storage: Wine's drive refuses the seek-penalty query" grep -qxF \
  "Quellix Detect: storage: PhysicalDrive0..15: none answered the seek-penalty query (error 50)" <<<"$lines"
check "memory speeds: Wine's SMBIOS table has no memory device" grep -qxE \
  "Quellix Detect: memory speeds: SMBIOS: no memory device in [0-9]+ bytes" <<<"$lines"
check "power plan: Wine's PowerGetActiveScheme is not implemented" grep -qxF \
  "Quellix Detect: power plan: PowerGetActiveScheme failed with error 120" <<<"$lines"
finish
