#!/usr/bin/env bash
# The shipped exe must import only Windows system DLLs, so that it runs on a
# clean Windows PC without any runtime installed beside it.
set -euo pipefail
exe=$1
objdump=x86_64-w64-mingw32-objdump
dlls=$($objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports: $(echo $dlls)"
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|dwmapi|dxgi|powrprof|ntdll|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+|comctl32)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "not a system DLL: $bad"; exit 1; fi
echo "size: $(stat -c %s "$exe") bytes"
