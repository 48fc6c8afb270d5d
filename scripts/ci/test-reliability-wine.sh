#!/usr/bin/env bash
# The Windows build under Wine: an aircraft.cfg that another process holds open without
# sharing is skipped and not counted, the file and its folder stay exactly as they were, and
# once the other process lets go, a second run treats it. A backup held open the same way
# ends the run with a message naming it, and nothing in its folder changes. Links planted
# under the names the program creates never carry its bytes out of the aircraft folder.
set -euo pipefail

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target cirrowisp-cli hold_open

WINEPREFIX="$(mktemp -d)"
tree="$(mktemp -d)"
HOME="$(mktemp -d)"  # the new prefix links its user folders into this one, not the user's own
export WINEPREFIX HOME WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
trap 'rm -rf "$WINEPREFIX" "$tree" "$HOME"' EXIT

jet=$'[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[end]\r\n'
for name in Held Free; do
    mkdir -p "$tree/SimObjects/Airplanes/$name"
    printf '%s' "$jet" > "$tree/SimObjects/Airplanes/$name/aircraft.cfg"
done

xvfb-run -a bash -s "$PWD/build/mingw/cli/cirrowisp-cli.exe" "$PWD/build/mingw/tests/hold_open.exe" "$tree" "$jet" <<'SCRIPT'
set -euo pipefail
cli="$1"
hold_open="$2"
tree="$3"
jet="$4"
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

# Links to a file outside the aircraft folders, planted under the names a run and a forced
# restore create. Wine shows a Unix link to a file as that file, follows it even when told not
# to, and removing one removes its target: the program finds it out by the path the handle
# leads to and leaves the folder alone. A Windows link cannot be made here: Wine 8's
# CreateSymbolicLinkW (behind mklink) reports success and makes nothing, and mklink /J fails.
linked="$tree/SimObjects/Airplanes/Linked"
victim="$tree/outside/victim"
mkdir -p "$linked" "$tree/outside"
printf 'the user'"'"'s own file\n' > "$victim"
victim_sum="$(md5sum < "$victim")"
link_fail() { echo "planted links: $*" >&2; exit 1; }
plant() { for name in "$@"; do ln -sfn "$victim" "$linked/$name"; done; }
check_links() {  # STEP EXPECTED_STATUS NAME...: the run's status, nothing written, the links kept
    local step="$1" expected="$2" status=0
    shift 2
    plant "$@"
    local before
    before="$(md5sum < "$linked/aircraft.cfg")"
    wine "$cli" "${args[@]}" "$(winpath "$tree")" > "$tree/run.out" 2> "$tree/run.err" || status=$?
    [ "$status" -eq "$expected" ] || link_fail "$step: status $status: $(cat "$tree/run.err")"
    [ "$(md5sum < "$victim")" = "$victim_sum" ] || link_fail "$step: the file behind a link changed"
    [ "$(md5sum < "$linked/aircraft.cfg")" = "$before" ] || link_fail "$step: aircraft.cfg changed"
    for name in "$@"; do [ -L "$linked/$name" ] || link_fail "$step: $name was removed"; done
    for name in aircraft.cfg without_contrails_aircraft.cfg aircraft_before_restore.cfg; do
        [ ! -L "$linked/$name" ] || link_fail "$step: $name is a link"
    done
    rm -f "${@/#/$linked/}"
    echo "planted links: $step: left alone, nothing written through them"
}
printf '%s' "$jet" > "$linked/aircraft.cfg"
args=()
check_links "run, new_aircraft.cfg" 0 new_aircraft.cfg
check_links "run, the backup's temporary" 1 without_contrails_aircraft.tmp
grep -q 'without_contrails_aircraft.tmp' "$tree/run.err" || link_fail "the message does not name the link"
wine "$cli" "$(winpath "$tree")" > /dev/null
grep -q contrail= "$linked/aircraft.cfg" || link_fail "without the links, the aircraft was not treated"
printf 'edited=1\r\n' >> "$linked/aircraft.cfg"
args=(--restore --force)
check_links "forced restore, the kept file's temporary" 3 aircraft_before_restore.tmp
# The edited file is kept first; the restore then stops with a message naming the link.
check_links "forced restore, new_aircraft.cfg" 1 new_aircraft.cfg
grep -q 'new_aircraft.cfg' "$tree/run.err" || link_fail "the message does not name the link"
SCRIPT
