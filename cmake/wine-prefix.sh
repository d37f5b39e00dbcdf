#!/usr/bin/env bash
# Creates (once) and warms the Wine prefix of a build tree: fonts, font substitutes, no crash dialog.
# Every Wine process started here has stdin/stdout/stderr detached, or a background service would
# keep the caller's pipe open forever.
set -eu
VERDALY_BUILD=${1:?build folder}
export VERDALY_BUILD
. "$(dirname "$0")/wine-env.sh"
stamp="$WINEPREFIX/.verdaly-ready"
if [ ! -f "$stamp" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -f /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
    reg="$VERDALY_BUILD/verdaly-prefix.reg"
    {
        printf 'REGEDIT4\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"shell"="1024x768"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Graphics"="x11,null"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        for face in '\xce\xa2\xc8\xed\xd1\xc5\xba\xda' '\xcb\xce\xcc\xe5' 'SimSun' 'Microsoft YaHei' 'NSimSun'; do
            printf '"%b"="WenQuanYi Micro Hei"\r\n' "$face"
        done
        printf '"Courier New"="Liberation Mono"\r\n"Verdana"="DejaVu Sans"\r\n'
    } > "$reg"
    "$WINE" regedit /S "$reg" </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    touch "$stamp" "$WINEPREFIX/.verdaly-headless"
fi
# Unit tests create windows (our own controls) without an X display: with no display Wine falls back to its
# null driver instead of refusing every window. Older prefixes get the setting once; the server must restart
# for the desktop to pick it up.
if [ ! -f "$WINEPREFIX/.verdaly-headless" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f </dev/null >/dev/null 2>&1 || true
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.verdaly-headless"
fi
# Another scale: the session's DPI in both places Wine reads it, then a new server, which reads it at start.
if [ "$VERDALY_DPI" != 96 ] && [ ! -f "$WINEPREFIX/.verdaly-dpi-$VERDALY_DPI" ]; then
    for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        "$WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$VERDALY_DPI" /f </dev/null >/dev/null 2>&1 || true
    done
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "$VERDALY_DESKTOP" /f </dev/null >/dev/null 2>&1 || true
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.verdaly-dpi-$VERDALY_DPI"
fi
# Keep the server warm for the runs that follow, and let Wine's background services start here, detached:
# started by a test instead, they would inherit its output pipe and keep the test runner waiting.
wineserver -p </dev/null >/dev/null 2>&1 || true
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
