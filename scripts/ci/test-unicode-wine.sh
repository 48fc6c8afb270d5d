#!/usr/bin/env bash
# Folder names in any script and paths past 260 characters, for both Windows programs under
# Wine, in an English and a Japanese locale (ANSI code pages 1252 and 932): a simulator folder
# whose own path is Cyrillic and so deep that every aircraft.cfg lies more than 300 characters
# down, holding aircraft named in Latin, Cyrillic, Japanese, accented Latin and a character
# outside the Basic Multilingual Plane. cirrowisp-cli.exe gets it as an argument, Cirrowisp.exe
# typed into its path field; every aircraft must be treated and backed up (and, by the dialog's
# Restore item, given back). A Cyrillic setup path
# registered with `wine reg add` must show in the path field.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target cirrowisp-cli Cirrowisp cirrowisp_e2e code_page_tests

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The locales are generated here, into a folder of our own: Wine takes its Unix code page and
# its ANSI code page from them, and a locale that is missing falls back to ASCII file names.
export LOCPATH="$work/locales"
mkdir -p "$LOCPATH"
for locale in en_US ja_JP; do
    localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8"
done

for locale in en_US.UTF-8:1252 ja_JP.UTF-8:932; do
    LANG="${locale%:*}" LC_ALL="${locale%:*}" xvfb-run -a -s "-screen 0 1024x768x24" \
        bash -s "$PWD/build/mingw" "$work/${locale%:*}" "${locale#*:}" <<'SCRIPT'
set -euo pipefail
build="$1"
work="$2"
ansi_code_page="$3"
mkdir -p "$work"
WINEPREFIX="$work/prefix"
mkdir -p "$WINEPREFIX"
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
fail() { echo "unicode ($LANG): $*" >&2; exit 1; }
# Wine maps the Unix root to drive Z:. (winepath cuts its answer at 260 characters.)
winpath() { printf 'Z:%s' "${1//\//\\}"; }

wineserver -p
wineboot --init >/dev/null 2>&1 || true
acp="$(wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP | tr -d '\r')"
[[ "$acp" == *"REG_SZ"*"$ansi_code_page" ]] || fail "the ANSI code page is not $ansi_code_page: $acp"
echo "unicode ($LANG): ANSI code page $ansi_code_page"

# The contents follow the system's code page, through the dialog's Start as through the command
# line (a test of its own process, so that neither front end's start-up covers for the other's).
CIRROWISP_EXPECT_ACP="$ansi_code_page" wine "$build/tests/win32/code_page_tests.exe" --gtest_brief=1 \
    > "$work/code_page.out" 2>&1 < /dev/null || fail "code page: $(cat "$work/code_page.out")"
echo "unicode ($LANG): the dialog's Start and the command line agree under code page $ansi_code_page"

jet=$'[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[end]\r\n'
aircraft=(Alpha_B737 Ту-154М 日本_B767 Zulu_A320 Crème_Brûlée_A340 $'\U0001F6E9'_Skyhawk)
deep="$(printf 'a_deeply_nested_add-on_folder_%02d/' $(seq 8))"
deep="${deep%/}"
make_tree() {  # make_tree SIMULATOR
    for name in "${aircraft[@]}"; do
        mkdir -p "$1/SimObjects/Airplanes/$name"
        printf '%s' "$jet" > "$1/SimObjects/Airplanes/$name/aircraft.cfg"
    done
}
check_tree() {  # check_tree SIMULATOR WHO
    for name in "${aircraft[@]}"; do
        local folder="$1/SimObjects/Airplanes/$name"
        printf '%s' "$jet" | cmp -s - "$folder/without_contrails_aircraft.cfg" ||
            fail "$2 left no backup in $name"
        grep -q $'^contrail=fx_Cirrowisp\r$' "$folder/aircraft.cfg" || fail "$2 did not treat $name"
        grep -q $'^max_contrail_temperature=-27\r$' "$folder/aircraft.cfg" ||
            fail "$2 wrote no temperature in $name"
        [ "$(ls -A "$folder" | wc -l)" -eq 2 ] || fail "$2 left stray files in $name: $(ls -A "$folder")"
    done
    echo "unicode ($LANG): $2 treated and backed up ${#aircraft[@]} aircraft"
}
check_restored_tree() {  # check_restored_tree SIMULATOR WHO
    for name in "${aircraft[@]}"; do
        local folder="$1/SimObjects/Airplanes/$name"
        printf '%s' "$jet" | cmp -s - "$folder/aircraft.cfg" || fail "$2 did not restore $name"
        [ "$(ls -A "$folder")" = aircraft.cfg ] || fail "$2 left more than aircraft.cfg in $name: $(ls -A "$folder")"
    done
    echo "unicode ($LANG): $2 restored ${#aircraft[@]} aircraft"
}
# A folder stands where the backup of a Cyrillic aircraft would go: the run must stop and name it.
make_failing_tree() {  # make_failing_tree SIMULATOR: prints the file the error must name
    local folder="$1/SimObjects/Airplanes/${aircraft[1]}"
    mkdir -p "$folder/without_contrails_aircraft.cfg"
    printf '%s' "$jet" > "$folder/aircraft.cfg"
    winpath "$folder/without_contrails_aircraft.cfg"
}
summary=$'Scanned 6 AI and 0 flyable aircrafts files for contrails.\nAdded contrails to 6 files.\nChanged temperature in 6 files.'

cli_sim="$work/cli/Симулятор/$deep"
make_tree "$cli_sim"
cli_path="$(winpath "$cli_sim")"
longest="$(winpath "$cli_sim/SimObjects/Airplanes/${aircraft[4]}/without_contrails_aircraft.cfg")"
[ "${#longest}" -gt 300 ] || fail "the deepest path has only ${#longest} characters"
echo "unicode ($LANG): deepest path ${#longest} characters"
wine "$build/cli/cirrowisp-cli.exe" --verbose "$cli_path" > "$work/cli.out" 2> "$work/cli.err" ||
    fail "cirrowisp-cli.exe failed: $(cat "$work/cli.err")"
[ "$(tr -d '\r' < "$work/cli.out")" = "$summary" ] || fail "cirrowisp-cli.exe reported: $(cat "$work/cli.out")"
# Redirected, the verbose lines are UTF-8 and name every folder as it is.
for name in "${aircraft[@]}"; do
    grep -qF "$cli_path\\SimObjects\\Airplanes\\$name: AI" "$work/cli.err" ||
        fail "the verbose output does not name $name: $(cat "$work/cli.err")"
done
check_tree "$cli_sim" cirrowisp-cli.exe
failing="$(make_failing_tree "$work/cli-failing/Симулятор")"
status=0
wine "$build/cli/cirrowisp-cli.exe" "${failing%%\\SimObjects\\*}" > /dev/null 2> "$work/cli.err" ||
    status=$?
[ "$status" -eq 1 ] || fail "with the backup's name taken, cirrowisp-cli.exe ended with $status"
grep -qF "cirrowisp-cli: $failing: " "$work/cli.err" || fail "the error does not name $failing: $(cat "$work/cli.err")"
echo "unicode ($LANG): cirrowisp-cli.exe names the file it stopped at: $(tr -d '\r' < "$work/cli.err")"
# On a console (a pseudo-terminal, wide enough that no line wraps) every name shows as it is.
# script reads its input: it must not take the rest of this script from bash. The last name is
# left out: Wine's console shows each half of a surrogate pair as a replacement character.
script -qec "stty cols 2000; wine '$build/cli/cirrowisp-cli.exe' --dry-run --verbose '$cli_path'" \
    /dev/null < /dev/null > "$work/console.out"
for name in "${aircraft[@]:0:5}"; do
    grep -qF "Airplanes\\$name: AI" "$work/console.out" ||
        fail "the console does not show $name: $(cat "$work/console.out")"
done
echo "unicode ($LANG): the console shows every name of the Basic Multilingual Plane"

key='HKLM\SOFTWARE\Microsoft\Microsoft Games\Flight simulator\10.0'
registered='C:\Игры\Flight Simulator X'
wine reg add "$key" /reg:32 /v SetupPath /t REG_SZ /d "$registered" /f >/dev/null
gui_sim="$work/gui/Симулятор/$deep"
make_tree "$gui_sim"
wine "$build/tests/win32/cirrowisp_e2e.exe" "$(winepath -w "$build/ui/win32/Cirrowisp.exe")" \
    unicode "$registered" "$(winpath "$gui_sim")" "${#aircraft[@]}" \
    "$(make_failing_tree "$work/gui-failing/Симулятор")"
# The dialog ran and then restored: the files are as they were made.
check_restored_tree "$gui_sim" Cirrowisp.exe
touch "$work/finished"
SCRIPT
    # A command that reads its input would take the rest of the script and end it early, quietly.
    [ -f "$work/${locale%:*}/finished" ] || { echo "unicode: the ${locale%:*} run stopped early" >&2; exit 1; }
done
