#!/usr/bin/env bash
# The Windows build under Wine: an aircraft.cfg that another process holds open without
# sharing is skipped and not counted, the file and its folder stay exactly as they were, and
# once the other process lets go, a second run treats it. A backup held open the same way
# ends the run with a message naming it, and nothing in its folder changes.
set -euo pipefail

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target cirrowisp-cli hold_open

WINEPREFIX="$(mktemp -d)"
tree="$(mktemp -d)"
export WINEPREFIX WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
trap 'rm -rf "$WINEPREFIX" "$tree"' EXIT

jet=$'[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[end]\r\n'
for name in Held Free; do
    mkdir -p "$tree/SimObjects/Airplanes/$name"
    printf '%s' "$jet" > "$tree/SimObjects/Airplanes/$name/aircraft.cfg"
done

xvfb-run -a bash -s "$PWD/build/mingw/cli/cirrowisp-cli.exe" "$PWD/build/mingw/tests/hold_open.exe" "$tree" <<'SCRIPT'
set -euo pipefail
cli="$1"
hold_open="$2"
tree="$3"
held="$tree/SimObjects/Airplanes/Held"
trap 'touch "$tree/release"; wineserver -k >/dev/null 2>&1 || true; wineserver -w || true' EXIT

wineboot -i >/dev/null 2>&1
wineserver -w
# Wine maps the Unix root to drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

fail() { echo "held open: $*" >&2; exit 1; }

# hold FILE: another process opens FILE without sharing until hold_release.
hold() {
    rm -f "$tree/release" "$tree/holder.out"
    wine "$hold_open" "$(winpath "$1")" "$(winpath "$tree/release")" > "$tree/holder.out" &
    holder=$!
    for _ in $(seq 300); do
        grep -q held "$tree/holder.out" 2>/dev/null && return 0
        kill -0 "$holder" 2>/dev/null || fail "the holder ended before it held $1"
        sleep 0.1
    done
    fail "the holder never held $1"
}
hold_release() {
    touch "$tree/release"
    wait "$holder"
}

before="$(ls -A "$held"; md5sum "$held/aircraft.cfg")"
hold "$held/aircraft.cfg"

summary="$(wine "$cli" "$(winpath "$tree")" | tr -d '\r')"
expected=$'Scanned 1 AI and 0 flyable aircrafts files for contrails.\nAdded contrails to 1 files.\nChanged temperature in 1 files.'
[ "$summary" = "$expected" ] || fail "while held, the run reported: $summary"
[ "$(ls -A "$held"; md5sum "$held/aircraft.cfg")" = "$before" ] || fail "the held folder changed"
grep -q contrail= "$tree/SimObjects/Airplanes/Free/aircraft.cfg" || fail "the free aircraft was not treated"
echo "held open: skipped and not counted"

hold_release
summary="$(wine "$cli" "$(winpath "$tree")" | tr -d '\r')"
expected=$'Scanned 2 AI and 0 flyable aircrafts files for contrails.\nAdded contrails to 1 files.\nChanged temperature in 1 files.'
[ "$summary" = "$expected" ] || fail "after release, the run reported: $summary"
[ -f "$held/without_contrails_aircraft.cfg" ] || fail "after release, no backup"
echo "held open: treated once released"

# A backup that exists but is held open counts as absent; the backup cannot then take its name,
# and the run must stop rather than lose the old file.
backup_held="$tree/MyTraffic/Aircraft/HeldBackup"
mkdir -p "$backup_held"
cp "$tree/SimObjects/Airplanes/Held/without_contrails_aircraft.cfg" "$backup_held/aircraft.cfg"
printf 'older\r\n' > "$backup_held/without_contrails_aircraft.cfg"
before="$(ls -A "$backup_held"; md5sum "$backup_held"/*)"
hold "$backup_held/without_contrails_aircraft.cfg"
status=0
wine "$cli" "$(winpath "$tree")" > "$tree/run.out" 2> "$tree/run.err" || status=$?
[ "$status" -eq 1 ] || fail "with the backup held, the run ended with status $status"
grep -q 'without_contrails_aircraft.cfg' "$tree/run.err" || fail "the message does not name the backup: $(cat "$tree/run.err")"
[ ! -s "$tree/run.out" ] || fail "a summary was printed after a failed run"
[ "$(ls -A "$backup_held"; md5sum "$backup_held"/*)" = "$before" ] || fail "the folder of the held backup changed"
echo "held backup: the run stopped with: $(tr -d '\r' < "$tree/run.err" | head -1)"
hold_release
wine "$cli" "$(winpath "$tree")" > /dev/null
[ "$(tr -d '\r' < "$backup_held/without_contrails_aircraft.cfg")" = "older" ] || fail "the old backup was overwritten"
grep -q contrail= "$backup_held/aircraft.cfg" || fail "after release, the aircraft was not treated"
echo "held backup: treated once released, the old backup kept"
SCRIPT
