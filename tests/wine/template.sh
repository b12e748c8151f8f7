#!/usr/bin/env bash
# Makes the template Wine prefix that every test copies: fonts installed,
# Wine drawing its own window frames (no window manager), Windows 10, and the
# browser replaced by a script that records the URL it is given.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
: "${QD_WORK:?}"
template=$QD_WORK/template
stamp=$(sha1sum "$0" "$here/capture-url.sh" | sha1sum | cut -c1-12)
if [ -f "$template/.stamp" ] && [ "$(cat "$template/.stamp")" = "$stamp" ]; then exit 0; fi

mkdir -p "$QD_WORK"
tmp=$QD_WORK/template.new
rm -rf "$tmp"
export WINEPREFIX=$tmp
DISPLAY= wine wineboot -i >/dev/null 2>&1
mkdir -p "$tmp/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$tmp/drive_c/windows/Fonts/"
DISPLAY= wine winecfg /v win10 >/dev/null 2>&1
reg() { DISPLAY= wine reg "$@" /f >/dev/null 2>&1; }
reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$here/capture-url.sh"
"$WINESERVER" -w
echo "$stamp" > "$tmp/.stamp"
rm -rf "$template"
mv "$tmp" "$template"
echo "template prefix ready: $template"
