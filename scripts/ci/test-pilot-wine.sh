#!/usr/bin/env bash
# The Windows build under Wine on a pilot's machine, as a user other than root (root writes
# whatever it likes, and Wine as root replaces even a read-only file): a file that another
# program holds for a second is waited for and treated; an aircraft.cfg with the read-only
# attribute is left alone, named and counted; a run into a folder the user may not write offers
# to start as administrator, and "No" leaves everything as it was; what "Yes" starts runs at once
# with the same form.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target cirrowisp-cli hold_open Cirrowisp admin_offer_driver

user=cirrowisp-test
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
bin="$home/bin"
mkdir -p "$bin"
cp build/mingw/cli/cirrowisp-cli.exe build/mingw/tests/hold_open.exe \
    build/mingw/ui/win32/Cirrowisp.exe build/mingw/tests/win32/admin_offer_driver.exe "$bin/"
if [ "$(id -u)" -eq 0 ]; then
    id -u "$user" >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
    chown -R "$user" "$home"
    as_user() { runuser -u "$user" -- "$@"; }
else
    as_user() { "$@"; }
fi
chmod 755 "$home"

# A pilot's desktop has a UTF-8 locale: without one, Wine cannot give a file a name beyond ASCII.
as_user env -i PATH="$PATH" LC_ALL=C.UTF-8 HOME="$home" WINEPREFIX="$home/prefix" WINEARCH=win64 \
    WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all \
    xvfb-run -a bash -s "$bin" "$home/tree" <<'SCRIPT'
set -euo pipefail
bin="$1"
tree="$2"
trap 'touch "$tree/release"; wineserver -k >/dev/null 2>&1 || true; wineserver -w || true' EXIT
fail() { echo "pilot: $*" >&2; exit 1; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
jet=$'[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[end]\r\n'
airplanes="$tree/sim/SimObjects/Airplanes"
mkdir -p "$airplanes/Held"
printf '%s' "$jet" > "$airplanes/Held/aircraft.cfg"
wineboot -i >/dev/null 2>&1
wineserver -w

# Held for about a second after the run starts: the run waits for it instead of skipping it.
wine "$bin/hold_open.exe" "$(winpath "$airplanes/Held/aircraft.cfg")" "$(winpath "$tree/release")" \
    > "$tree/holder.out" &
holder=$!
for _ in $(seq 300); do grep -q held "$tree/holder.out" 2>/dev/null && break; sleep 0.1; done
grep -q held "$tree/holder.out" || fail "the holder never held the file"
wine "$bin/cirrowisp-cli.exe" "$(winpath "$tree/sim")" > "$tree/run.out" 2> "$tree/run.err" &
run=$!
sleep 1
kill -0 "$run" 2>/dev/null || echo "pilot: the run ended within the second the file was held"
touch "$tree/release"
wait "$holder"
wait "$run" || fail "the run with a file held for a second failed: $(cat "$tree/run.err")"
grep -q 'Scanned 1 AI' "$tree/run.out" || fail "the held file was not counted: $(cat "$tree/run.out")"
grep -q contrail= "$airplanes/Held/aircraft.cfg" || fail "the held file was not treated"
echo "pilot: a file held for a second was waited for and treated"

# The read-only attribute: left alone, named, counted; the run goes on.
mkdir -p "$airplanes/Disc" "$airplanes/Free"
printf '%s' "$jet" > "$airplanes/Disc/aircraft.cfg"
printf '%s' "$jet" > "$airplanes/Free/aircraft.cfg"
wine cmd /c attrib +r "$(winpath "$airplanes/Disc/aircraft.cfg")" >/dev/null
before="$(ls -A "$airplanes/Disc"; md5sum "$airplanes/Disc/aircraft.cfg")"
status=0
wine "$bin/cirrowisp-cli.exe" "$(winpath "$tree/sim")" > "$tree/run.out" 2> "$tree/run.err" || status=$?
[ "$status" -eq 0 ] || fail "with a read-only file, status $status: $(cat "$tree/run.err")"
grep -q 'Left 1 read-only aircraft.cfg file alone.' "$tree/run.out" ||
    fail "the read-only file was not counted: $(cat "$tree/run.out")"
grep -q 'Disc: left alone, aircraft.cfg is read-only' "$tree/run.err" ||
    fail "the read-only file was not named: $(cat "$tree/run.err")"
[ "$(ls -A "$airplanes/Disc"; md5sum "$airplanes/Disc/aircraft.cfg")" = "$before" ] ||
    fail "the read-only file's folder changed"
grep -q contrail= "$airplanes/Free/aircraft.cfg" || fail "the run did not go on past it"
echo "pilot: a read-only file was left alone, named and counted"
wine cmd /c attrib -r "$(winpath "$airplanes/Disc/aircraft.cfg")" >/dev/null

# A folder the user may not write, as under Program Files: the dialog offers to start as
# administrator, and No changes nothing.
offer="$tree/offer"
mkdir -p "$offer/SimObjects/Airplanes/Locked"
printf '%s' "$jet" > "$offer/SimObjects/Airplanes/Locked/aircraft.cfg"
chmod 555 "$offer/SimObjects/Airplanes/Locked"
before="$(cd "$offer" && find . -printf '%p %m\n' | sort; md5sum SimObjects/Airplanes/Locked/*)"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
wine "$bin/admin_offer_driver.exe" no "$(winpath "$bin/Cirrowisp.exe")" "$(winpath "$offer")" ||
    fail "the administrator offer"
[ "$(cd "$offer" && find . -printf '%p %m\n' | sort; md5sum SimObjects/Airplanes/Locked/*)" = "$before" ] ||
    fail "after No, the tree changed"
echo "pilot: No left the tree as it was"
chmod 755 "$offer/SimObjects/Airplanes/Locked"

# Yes: Wine cannot elevate, so the driver starts Cirrowisp.exe with the parameters Yes passes,
# for a form of its own in a tree it makes; the copy must run at once with that form.
mkdir -p "$tree/yes"
wine "$bin/admin_offer_driver.exe" yes "$(winpath "$bin/Cirrowisp.exe")" "$(winpath "$tree/yes")" ||
    fail "what Yes starts"

# The command line finds an effect file whose name goes beyond ASCII (the driver made one) and
# so warns of none.
sim="$tree/yes/Program Files (x86)/Elevated Sim"
wine "$bin/cirrowisp-cli.exe" --effect $'fx_\u00c9lan' "$(winpath "$sim")" > "$tree/run.out" \
    2> "$tree/run.err" || fail "the run with an effect name beyond ASCII: $(cat "$tree/run.err")"
[ -f "$sim/Effects/fx_"$'\u00c9'"lan.fx" ] || fail "the driver made no effect file"
! grep -q 'is in neither' "$tree/run.err" || fail "a present effect file was missed: $(cat "$tree/run.err")"
echo "pilot: the command line found an effect file named beyond ASCII"
SCRIPT
