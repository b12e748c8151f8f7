#!/usr/bin/env bash
# The exe downloaded into a folder that also holds DLLs named after system DLLs
# (as a web page can leave them there): every one of them is ignored. The
# program runs to the end as usual, opens the link and exits with 0, and no
# stand-in leaves its marker. The DLLs it loads itself (dxgi, dwmapi,
# powrprof) come from System32.
. "$(dirname "$0")/lib/window.sh"

stand_ins=("$QD_WIN"/stand-in-dlls/*.dll)
check "stand-in DLLs to plant (${#stand_ins[@]})" [ "${#stand_ins[@]}" -ge 5 ]
for name in dxgi dwmapi powrprof uxtheme version; do
  check "a stand-in for $name.dll" [ -f "$QD_WIN/stand-in-dlls/$name.dll" ]
done

# A stand-in does what this test relies on when something loads it: it leaves
# its marker and ends that process with its own exit code.
control=$QD_SESSION/control
mkdir -p "$control"
cp "$QD_WIN/stand-in-dlls/dwmapi.dll" "$control/"
wine rundll32.exe "$(windows_path "$control/dwmapi.dll"),Anything" >/dev/null 2>&1
status=$?
expect "a loaded stand-in leaves its marker and ends the process (exit $status)" \
  '[ -f "$control/dwmapi.dll.loaded" ] && [ "$status" -ge 101 ] && [ "$status" -le 120 ]'

# The Downloads folder, started from there as a double-click would.
downloads=$WINEPREFIX/drive_c/Downloads
mkdir -p "$downloads"
cp "$QD_EXE" "${stand_ins[@]}" "$downloads/"
QD_EXE=$downloads/quellix-detect.exe
cd "$downloads" || exit 1
WINEDEBUG=+pid,+loaddll start_exe
wait_exe 60
markers=$(cd "$downloads" && ls -- *.loaded 2>/dev/null | tr '\n' ' ')
check "exit code 0 (got $exe_status${markers:+, markers: $markers})" [ "$exe_status" -eq 0 ]
check "no stand-in was loaded${markers:+ (loaded: $markers)}" [ -z "$markers" ]
link=$(urls | head -n 1)
expect "the report link was opened, with the graphics card DXGI named" \
  '[[ "$link" == "$site_origin/detect?"*"&gpu="* ]]'

# Where the program's own process took its run-time DLLs from.
pid=$(grep -a -m1 'Loaded L"[^"]*quellix-detect.exe"' "$QD_SESSION/wine.log" | cut -d: -f1)
loaded=$(grep -a "^$pid:" "$QD_SESSION/wine.log" | grep -ao 'Loaded L"[^"]*"' | tr 'A-Z' 'a-z')
for name in dxgi dwmapi powrprof; do
  check "$name.dll loaded from System32" grep -qF "c:\\\\windows\\\\system32\\\\$name.dll\"" <<< "$loaded"
done
finish
