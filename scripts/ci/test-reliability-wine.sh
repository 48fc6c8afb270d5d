#!/usr/bin/env bash
# The Windows build under Wine: an aircraft.cfg that another process holds open without
# sharing is skipped and not counted, the file and its folder stay exactly as they were, and
# once the other process lets go, a second run treats it.
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

before="$(ls -A "$held"; md5sum "$held/aircraft.cfg")"
wine "$hold_open" "$(winpath "$held/aircraft.cfg")" "$(winpath "$tree/release")" > "$tree/holder.out" &
holder=$!
for _ in $(seq 300); do
    grep -q held "$tree/holder.out" 2>/dev/null && break
    kill -0 "$holder" 2>/dev/null || fail "the holder ended before it held the file"
    sleep 0.1
done
grep -q held "$tree/holder.out" || fail "the holder never held the file"

summary="$(wine "$cli" "$(winpath "$tree")" | tr -d '\r')"
expected=$'Scanned 1 AI and 0 flyable aircrafts files for contrails.\nAdded contrails to 1 files.\nChanged temperature in 1 files.'
[ "$summary" = "$expected" ] || fail "while held, the run reported: $summary"
[ "$(ls -A "$held"; md5sum "$held/aircraft.cfg")" = "$before" ] || fail "the held folder changed"
grep -q contrail= "$tree/SimObjects/Airplanes/Free/aircraft.cfg" || fail "the free aircraft was not treated"
echo "held open: skipped and not counted"

touch "$tree/release"
wait "$holder"
summary="$(wine "$cli" "$(winpath "$tree")" | tr -d '\r')"
expected=$'Scanned 2 AI and 0 flyable aircrafts files for contrails.\nAdded contrails to 1 files.\nChanged temperature in 1 files.'
[ "$summary" = "$expected" ] || fail "after release, the run reported: $summary"
[ -f "$held/without_contrails_aircraft.cfg" ] || fail "after release, no backup"
echo "held open: treated once released"
SCRIPT
