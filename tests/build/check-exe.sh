#!/usr/bin/env bash
# The shipped exe must import only Windows system DLLs, so that it runs on a
# clean Windows PC without any runtime installed beside it, and only KnownDLLs
# (Windows 10 and 11), which the loader takes from System32 whatever lies in
# the exe's folder: any other DLL named in the import table would be looked
# for in the Downloads folder first. ntdll is always loaded before the exe.
set -euo pipefail
exe=$1
objdump=x86_64-w64-mingw32-objdump
headers=$($objdump -p "$exe")
dlls=$(sed -n 's/^\s*DLL Name: //p' <<< "$headers" | tr 'A-Z' 'a-z' | sort -u)
echo "imports: $(echo $dlls)"
allowed='^(advapi32|clbcatq|combase|comdlg32|coml2|gdi32|gdiplus|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ntdll|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore|shell32|shlwapi|user32|wldap32|ws2_32)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "not a KnownDLL: $bad"; exit 1; fi
# The entry limits every later DLL load to System32. The linker drops code that
# nothing calls, so the import is there only while the entry makes the call.
if ! grep -qw SetDefaultDllDirectories <<< "$headers"; then
  echo "the exe does not call SetDefaultDllDirectories"; exit 1
fi
# The shipped exe has no test hook: the stand-in for High Contrast that the
# end-to-end tests use (an environment variable) is built into quellix-detect-test.exe only.
if LC_ALL=C grep -qaP 'Q\x00D\x00_\x00H\x00I\x00G\x00H\x00_\x00C\x00' "$exe"; then
  echo "the exe carries the test build's QD_HIGH_CONTRAST hook"; exit 1
fi
echo "size: $(stat -c %s "$exe") bytes"
