#!/usr/bin/env bash
# Runs inside xvfb-run (see test-windows.sh): wineboot, the registry edits and every Windows
# program share one display and one throw-away prefix.
set -euo pipefail
build=build/mingw
WINEPREFIX=$(mktemp -d /tmp/cirrowisp-wine.XXXXXX)
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT

# One server for the whole stage: without it every Wine process that ctest starts in parallel
# races to start (and stop) its own, and a process can lose its connection ("recvmsg:
# Connection reset by peer").
wineserver -p
wineboot --init >/dev/null 2>&1 || true
# Debian's Wine does not pick up the fonts of fonts-wine by itself; without them "MS Sans Serif"
# falls back to a wider face and the captions' close button loses its glyph.
if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
else
    echo "fonts-wine missing: captions will use a substitute face" >&2
fi
# The virtual display has no window manager: let Wine draw the frames, captions included.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null

echo "--- unit tests under Wine"
ctest --preset mingw -j2

key='HKLM\SOFTWARE\Microsoft\Microsoft Games\Flight simulator\10.0'
exe=$(winepath -w "$build/ui/win32/Cirrowisp.exe")
shots=$build/screenshots
mkdir -p "$shots"

echo "--- Cirrowisp.exe without a registry entry"
wine reg delete "$key" /reg:32 /f >/dev/null 2>&1 || true
wine "$build/tests/win32/cirrowisp_e2e.exe" "$exe" defaults "$(winepath -w "$shots")"

echo "--- Cirrowisp.exe with the setup path registered"
wine reg add "$key" /reg:32 /v SetupPath /t REG_SZ /d 'C:\Games\FSX' /f >/dev/null
wine "$build/tests/win32/cirrowisp_e2e.exe" "$exe" registry 'C:\Games\FSX' 'C:\cirrowisp-scratch'

for bmp in "$shots"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png"
done
echo "screenshots: $(ls "$shots"/*.png | tr '\n' ' ')"
