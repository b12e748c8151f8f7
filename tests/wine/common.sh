# Shared settings for running Windows programs under Wine in the tests.
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine() { "$WINELOADER" "$@"; }
