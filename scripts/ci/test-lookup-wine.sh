#!/usr/bin/env bash
# The simulator lookup against a real Wine prefix (64-bit, thrown away afterwards): the Windows
# build under Wine, and the Linux build reading the same prefix's system.reg, first without the
# simulator's entry, then with entries written by `wine reg add`.
set -euo pipefail

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target lookup_probe
cmake --preset debug >/dev/null
cmake --build --preset debug -j2 --target lookup_probe

WINEPREFIX="$(mktemp -d)"
export WINEPREFIX WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
trap 'rm -rf "$WINEPREFIX"' EXIT

# Wine reads the arguments of `wine reg add` and file names in the locale's character set.
LC_ALL=C.UTF-8 xvfb-run -a bash -s "$PWD/build/mingw/tests/lookup_probe.exe" "$PWD/build/debug/tests/lookup_probe" <<'SCRIPT'
set -euo pipefail
windows_probe="$1"
linux_probe="$2"
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
SCRIPT
