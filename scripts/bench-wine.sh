#!/usr/bin/env bash
# The Windows build at the floor: cirrowisp-cli.exe and the Win32 I/O floor
# (bench/io_floor_win32.cpp) side by side under Wine, over generated trees of 2,000 aircraft
# folders, first and second runs, timed as scripts/bench.sh times the Linux build. Wine's own
# costs (starting a process, its server) are on both sides of each ratio; what is left is ours.
# Builds the presets mingw-bench (the two Windows programs) and bench (the driver, the tree
# generator and the measure, which run on Linux), then runs everything in one virtual display
# with one Wine server in a throw-away prefix. Ends with the table; the raw output goes to
# build/bench/bench-wine.log.
#
#   scripts/bench-wine.sh [--quick] [--rounds N] [--sizes N,M] [--dir DIR]
#
# --quick is a smoke run (200 folders). Trees of up to 2,000 folders get at least 5 rounds.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=3
sizes=2000
dir=build/bench/wine-trees
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) rounds=1; sizes=200 ;;
        --rounds) rounds="$2"; shift ;;
        --sizes) sizes="$2"; shift ;;
        --dir) dir="$2"; shift ;;
        *) echo "usage: scripts/bench-wine.sh [--quick] [--rounds N] [--sizes N,M] [--dir DIR]" >&2; exit 2 ;;
    esac
    shift
done

cmake --preset mingw-bench >/dev/null
cmake --build --preset mingw-bench -j2 --target cirrowisp-cli cirrowisp-io-floor
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target whole_run_bench cirrowisp-measure cirrowisp-gentree
log=build/bench/bench-wine.log
mkdir -p "$(dirname "$log")" "$dir"

work="$(mktemp -d /tmp/cirrowisp-bench-wine.XXXXXX)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME" "$WINEPREFIX"
# The loader itself: Debian's wine script would add a shell, and a warning, to every start.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine)"

echo "=== cirrowisp-cli.exe against the Win32 I/O floor under Wine ($sizes folders, $rounds rounds)" |
    tee "$log"
xvfb-run -a -s "-screen 0 1024x768x24" bash -s "$wine" "$sizes" "$rounds" "$dir" <<'SCRIPT' 2>&1 | tee -a "$log"
set -euo pipefail
wine="$1"
# One server for every run, started before the first: no run pays for starting one.
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
wineserver -p
wineboot --init >/dev/null 2>&1 || true

# A floor that finds fewer folders than the run would make every ratio a flattering lie: on a
# small tree both must find and read the same aircraft, on a first run and on a second.
check="$(cd "$4" && pwd)/check"
rm -rf "$check"
build/bench/bench/cirrowisp-gentree "$check" --folders 100 >/dev/null
counted() { "$wine" "$@" "Z:${check//\//\\}" | tr -d '\r' | grep -o '[0-9]* AI and [0-9]* flyable'; }
floor_first="$(counted build/mingw-bench/bench/cirrowisp-io-floor.exe --no-sync)"
build/bench/bench/cirrowisp-gentree "$check" --restore >/dev/null
scan_first="$(counted build/mingw-bench/cli/cirrowisp-cli.exe --flyable)"
scan_second="$(counted build/mingw-bench/cli/cirrowisp-cli.exe --flyable)"
floor_second="$(counted build/mingw-bench/bench/cirrowisp-io-floor.exe --read-only)"
rm -rf "$check"
if [ -z "$scan_first" ] || [ "$floor_first" != "$scan_first" ] || [ "$floor_second" != "$scan_second" ]; then
    echo "the floor and the run disagree: first runs '$floor_first' and '$scan_first'," \
        "second runs '$floor_second' and '$scan_second'" >&2
    exit 1
fi
echo "floor and run both find $scan_first aircraft"

build/bench/bench/whole_run_bench --wine "$wine" --scan build/mingw-bench/cli/cirrowisp-cli.exe \
    --floor build/mingw-bench/bench/cirrowisp-io-floor.exe \
    --measure build/bench/bench/cirrowisp-measure --dir "$4" --sizes "$2" --rounds "$3" \
    --storage wine
SCRIPT
scripts/bench.sh --report "$log"
