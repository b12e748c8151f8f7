#!/usr/bin/env bash
# The field kit end to end, in one prefix: the real exe runs and opens its
# link; quellix-report.exe records the same prefix; the record's link is the
# one the exe opened; replaying the record (the tool's --replay, and the
# readers' tests given the record through QD_RECORD) gives the same findings
# and the same link; the record holds neither the user's nor the machine's name.
. "$(dirname "$0")/lib/window.sh"
. "$(dirname "$0")/lib/debug_lines.sh"

kit=$QD_WIN/quellix-report.exe
record=$QD_SESSION/report.txt
replayed=$QD_SESSION/replay.txt

# Settings of every kind, so that the link carries more than the hardware.
"$WINESERVER" -p
import_reg "[HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0]
\"ProcessorNameString\"=\"  Acme(R)   Core  8-Core Café  \"
[HKEY_CURRENT_USER\\Software\\Wine\\Direct3D]
\"VideoPciVendorID\"=dword:000010de
\"VideoPciDeviceID\"=dword:00001e87
[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0007]
\"DriverDesc\"=\"  nvidia  GeForce RTX 2080 \"
\"DriverDate\"=\"6/14/2024\"
[HKEY_CURRENT_USER\\Software\\Microsoft\\GameBar]
\"AutoGameModeEnabled\"=dword:00000000
[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers]
\"HwSchMode\"=dword:00000002
[HKEY_CURRENT_USER\\System\\GameConfigStore]
\"GameDVR_Enabled\"=dword:00000001
[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\HypervisorEnforcedCodeIntegrity]
\"Enabled\"=dword:00000001
[HKEY_CURRENT_USER\\Software\\Microsoft\\DirectX\\UserGpuPreferences]
\"DirectXUserGlobalSettings\"=\"SwapEffectUpgradeEnable=0;\"
[HKEY_CURRENT_USER\\Control Panel\\Mouse]
\"MouseSpeed\"=\"1\"
[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes]
\"ActiveOverlayAcPowerScheme\"=\"961cc777-2547-4f9d-8174-7d86181b8a7a\""

: >"$QD_SESSION/wine.log"
WINEDEBUG=warn+seh start_exe
wait_exe 60
check "the exe ends with 0 (got $exe_status)" [ "$exe_status" -eq 0 ]
check "the exe opened one link" [ "$(urls | wc -l)" -eq 1 ]
exe_link=$(urls | head -n 1)

wine "$kit" > "$record" 2>>"$QD_SESSION/wine.log"
check "quellix-report ends with 0" [ $? -eq 0 ]
wine "$kit" --replay "$(windows_path "$record")" > "$replayed" 2>>"$QD_SESSION/wine.log"
check "quellix-report --replay ends with 0" [ $? -eq 0 ]

lines() { grep "^$1 " "$2" | tr -d '\r'; }
record_link=$(lines link "$record" | cut -d' ' -f2-)
replay_link=$(lines link "$replayed" | cut -d' ' -f2-)
echo "exe:    $exe_link"
echo "record: $record_link"
check "the record names every finding with its time" \
  [ "$(lines expect "$record" | wc -l)" -eq 21 ] && [ "$(lines time "$record" | wc -l)" -eq 21 ]
# Free space is read twice, seconds apart, on a disk other jobs write to: it
# may cross a GiB between the two runs. Everything else must match exactly.
without_free() { printf '%s\n' "$1" | sed 's/&free=[0-9]*//'; }
free_of() { printf '%s\n' "$1" | sed -n 's/.*&free=\([0-9]*\).*/\1/p'; }
check "the record's link is the exe's (free space aside)" [ "$(without_free "$record_link")" = "$(without_free "$exe_link")" ]
exe_free=$(free_of "$exe_link") record_free=$(free_of "$record_link")
expect "free space within 1 GiB ($exe_free, $record_free)" \
  '[ -n "$exe_free" ] && [ -n "$record_free" ] && in_range "$record_free" $((exe_free - 1)) $((exe_free + 1))'
check "the link carries the settings written here" bash -c 'case $1 in *"pm=eff&gm=0&hags=1&dvr=1&vbs=1&wo=0&macc=1"*) ;; *) exit 1 ;; esac' _ "$record_link"
check "the replay's link is the record's" [ "$replay_link" = "$record_link" ]
check "the replay finds what the record found" diff <(lines expect "$record") <(lines expect "$replayed")

# The record's reasons are the exe's debug lines: the same findings absent, for the same reasons.
exe_reasons=$(debug_lines "$QD_SESSION/wine.log" | sed 's/^Quellix Detect: //' | sort)
as_debug_lines() { awk '{ k = $2; gsub(/-/, " ", k); r = $0; sub(/^reason [^ ]* /, "", r); print k ": " r }'; }
record_reasons=$(lines reason "$record" | as_debug_lines | sort)
echo "reasons:"; sed 's/^/  /' <<<"$record_reasons"
check "the record gives a reason for each absent finding" [ -n "$record_reasons" ]
check "the record's reasons are the exe's debug lines" [ "$record_reasons" = "$exe_reasons" ]
check "the replay gives the same findings reasons" \
  [ "$(lines reason "$replayed" | cut -d' ' -f2 | sort)" = "$(lines reason "$record" | cut -d' ' -f2 | sort)" ]

# The record is a test case as it is: the readers' tests replay it too.
QD_RECORD=$record wine "$QD_WIN/windows_tests.exe" --gtest_brief=1 \
  --gtest_filter='*Reader.EachMachine:*Reader.*OfEachMachine:MachineRecords.EachMachineThroughEveryReader' \
  > "$QD_SESSION/tests.txt" 2>&1
status=$?
grep -E 'FAILED|Failure|report.txt' "$QD_SESSION/tests.txt" | head -n 20
check "the readers' tests pass with the record as one more machine" [ "$status" -eq 0 ]

# What the record says, its comments aside.
facts=$QD_SESSION/facts.txt
grep -v '^#' "$record" > "$facts"
for name in "$(id -un)" "$(hostname)"; do
  # A name of two or three letters ("vm") turns up inside words ("nvme"): only longer ones are looked for.
  if [ "${#name}" -ge 4 ]; then
    check "the name '$name' is not in the record" bash -c '! grep -qiF -- "$1" "$2"' _ "$name" "$facts"
  else
    echo "skipped: '$name' is too short to look for"
  fi
done
check "no serial number or device instance path in the record" bash -c '! grep -qiE "serial|uuid|PCI.VEN_" "$1"' _ "$facts"
check "the driver date was found" grep -q '^expect gpu-driver-date 20240614' "$record"
finish
