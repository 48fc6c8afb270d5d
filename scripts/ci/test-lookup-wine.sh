#!/usr/bin/env bash
# The simulator lookup against a real Wine prefix (64-bit, thrown away afterwards): the Windows
# build under Wine, and the Linux build reading the same prefix's system.reg, first without the
# simulator's entry, then with entries written by `wine reg add`; last `--list-simulators` of
# both command lines with every simulator of the table registered where it registers itself.
set -euo pipefail

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target lookup_probe cirrowisp-cli
cmake --preset debug >/dev/null
cmake --build --preset debug -j2 --target lookup_probe cirrowisp-cli

WINEPREFIX="$(mktemp -d)"
export WINEPREFIX WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
trap 'rm -rf "$WINEPREFIX"' EXIT

# Wine reads the arguments of `wine reg add` and file names in the locale's character set.
LC_ALL=C.UTF-8 xvfb-run -a bash -s "$PWD/build/mingw/tests/lookup_probe.exe" "$PWD/build/debug/tests/lookup_probe" \
    "$PWD/build/mingw/cli/cirrowisp-cli.exe" "$PWD/build/debug/cli/cirrowisp-cli" <<'SCRIPT'
set -euo pipefail
windows_probe="$1"
linux_probe="$2"
windows_cli="$3"
linux_cli="$4"
# Stop the prefix's server before the prefix goes, also when a check fails.
trap 'wineserver -k >/dev/null 2>&1 || true; wineserver -w || true' EXIT

check() {  # check EXPECTED WHAT COMMAND...
    local expected="$1" what="$2" got
    shift 2
    got="$("$@" | tr -d '\r')"
    if [ "$got" != "$expected" ]; then
        echo "lookup, $what: expected '$expected', got '$got'" >&2
        exit 1
    fi
    echo "lookup, $what: $got"
}
# The Linux build reads system.reg, which the server writes when it shuts down.
check_both() {  # check_both WINDOWS_EXPECTED LINUX_EXPECTED WHAT
    check "$1" "$3, under Wine" wine "$windows_probe"
    wineserver -w
    check "$2" "$3, from system.reg" "$linux_probe"
}

wineboot -i >/dev/null 2>&1
wineserver -w
check_both '13 .\Aircraft\' '13 .\Aircraft\' "no entry"

# Only the 64-bit view: a 64-bit program that does not ask for the 32-bit view finds this one.
key='HKLM\SOFTWARE\Microsoft\Microsoft Games\Flight simulator\10.0'
wine reg add "$key" /v SetupPath /t REG_SZ /d 'D:\Wrong\' /reg:64 /f >/dev/null
check_both '13 .\Aircraft\' '13 .\Aircraft\' "entry in the 64-bit view only"

wine reg add "$key" /v SetupPath /t REG_SZ /d 'C:\FSX\' /reg:32 /f >/dev/null
check_both '0 C:\FSX\' "0 $WINEPREFIX/drive_c/FSX/" "entry in the 32-bit view"

# 255 characters and the NUL fill the 256-byte buffer; one more does not fit.
name="$(printf 'a%.0s' $(seq 252))"
wine reg add "$key" /v SetupPath /t REG_SZ /d "C:\\$name" /reg:32 /f >/dev/null
check_both "0 C:\\$name" "0 $WINEPREFIX/drive_c/$name" "255-character entry"
wine reg add "$key" /v SetupPath /t REG_SZ /d "C:\\${name}a" /reg:32 /f >/dev/null
check_both '13 .\Aircraft\' '13 .\Aircraft\' "256-character entry"

# Characters, not bytes: 255 Cyrillic letters (510 bytes in UTF-8) fit as well, one more does not.
cyrillic="$(printf '\xd0\x96%.0s' $(seq 252))"
wine reg add "$key" /v SetupPath /t REG_SZ /d "C:\\$cyrillic" /reg:32 /f >/dev/null
check_both "0 C:\\$cyrillic" "0 $WINEPREFIX/drive_c/$cyrillic" "255 Cyrillic characters"
wine reg add "$key" /v SetupPath /t REG_SZ /d "C:\\${cyrillic}X" /reg:32 /f >/dev/null
check_both '13 .\Aircraft\' '13 .\Aircraft\' "256 Cyrillic characters"

# Every row of the simulator table, each in its own folder, registered as its installer does:
# HIVE VIEW KEY VALUE NAME FOLDER (VIEW 32 or 64; the user's hive has one view).
rows=(
    "HKLM 32 SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0 SetupPath fsx FSX"
    "HKCU 64 Software\\Microsoft\\Microsoft Games\\Flight Simulator - Steam Edition\\10.0 AppPath fsx-se Steam\\FSX"
    "HKLM 32 SOFTWARE\\Microsoft\\Microsoft ESP\\1.0 SetupPath esp ESP"
    "HKLM 32 SOFTWARE\\LockheedMartin\\Prepar3D SetupPath p3d-v1 P3D"
    "HKLM 32 SOFTWARE\\Lockheed Martin\\Prepar3D v2 SetupPath p3d-v2 P3D2"
    "HKCU 64 Software\\Lockheed Martin\\Prepar3D v3 AppPath p3d-v3 P3D3"
    "HKLM 64 SOFTWARE\\Lockheed Martin\\Prepar3D v4 SetupPath p3d-v4 Program Files\\Lockheed Martin\\Prepar3D v4"
    "HKLM 64 SOFTWARE\\Lockheed Martin\\Prepar3D v5 SetupPath p3d-v5 P3D5"
    "HKCU 64 Software\\Lockheed Martin\\Prepar3D v6 AppPath p3d-v6 P3D6"
)
HOME="$(mktemp -d)"  # no Steam for the Linux build to find
export HOME
windows_expected=""
linux_expected=""
for row in "${rows[@]}"; do
    read -r hive view rest <<<"$row"
    key="${rest% *Path *}"
    rest="${rest#"$key "}"
    read -r value name folder <<<"$rest"
    mkdir -p "$WINEPREFIX/drive_c/${folder//\\//}"
    # The installers' trailing backslash, which the listing leaves out.
    wine reg add "$hive\\$key" /v "$value" /t REG_SZ /d "C:\\$folder\\" "/reg:$view" /f >/dev/null
    where="HKEY_CURRENT_USER\\$key\\$value"
    if [ "$hive" = HKLM ]; then
        where="HKEY_LOCAL_MACHINE\\$key\\$value ($view-bit view)"
    fi
    windows_expected+="$name	C:\\$folder	$where"$'\n'
    linux_expected+="$name	$WINEPREFIX/drive_c/${folder//\\//}	Wine prefix $WINEPREFIX, $where"$'\n'
done
check "${windows_expected%$'\n'}" "--list-simulators, under Wine" wine "$windows_cli" --list-simulators
wineserver -w
check "${linux_expected%$'\n'}" "--list-simulators, from the prefix's files" "$linux_cli" --list-simulators
# One not there: a usage error naming the installed ones.
status=0
"$linux_cli" --simulator esp-2 2>"$HOME/err" || status=$?
grep -qF "(installed here: fsx, fsx-se, esp, p3d-v1, p3d-v2, p3d-v3, p3d-v4, p3d-v5, p3d-v6)" "$HOME/err"
[ "$status" = 2 ]
echo "lookup, --simulator esp-2: exit status 2, the installed ones named"
rm -rf "$HOME"
SCRIPT
