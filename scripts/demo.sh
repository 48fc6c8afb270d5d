#!/usr/bin/env bash
# Patches a copy of the bundled sample simulator tree (examples/sim) with cirrowisp-cli, shows
# the summary and what changed in one aircraft, then restores the original files and shows that
# the copy is the sample tree again. The sample tree itself is never touched.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -x scripts/ci/install-deps.sh ]; then
    scripts/ci/install-deps.sh
fi

cli=build/release/cli/cirrowisp-cli
if [ ! -f build/release/build.ninja ]; then
    cmake --preset release >/dev/null
fi
cmake --build --preset release --target cirrowisp-cli -j2 >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/cirrowisp-demo.XXXXXX")
cp -R examples/sim "$work/sim"
aircraft=SimObjects/Airplanes/Cirro_A320/aircraft.cfg

echo "== A copy of the sample simulator: $work/sim"
echo
echo "== Dry run: cirrowisp-cli --dry-run SIMULATOR_FOLDER"
"$cli" --dry-run "$work/sim"
echo
echo "== Real run, one line per treated aircraft: cirrowisp-cli --verbose SIMULATOR_FOLDER"
"$cli" --verbose "$work/sim" 2>&1
echo
echo "== What changed in $aircraft (line ends are CR LF in both)"
diff -u --strip-trailing-cr --label "before" --label "after" \
    "examples/sim/$aircraft" "$work/sim/$aircraft" || true
echo
echo "== The first version is kept beside it:"
ls -1 "$work/sim/$(dirname "$aircraft")"
echo
echo "== A second run finds nothing more to add"
"$cli" "$work/sim"
echo
echo "== Restore: cirrowisp-cli --restore SIMULATOR_FOLDER puts the original files back"
echo "   (Gull_B757 came patched by an earlier run and was given a livery since: it is left alone)"
status=0
"$cli" --restore "$work/sim" 2>&1 || status=$?
case $status in
    0) ;;
    3) echo "(exit status 3: a folder with a backup was left alone, named above)" ;;
    *) exit "$status" ;;
esac
echo
echo "== The copy is the sample tree again, byte for byte: diff -r examples/sim COPY"
if diff -r examples/sim "$work/sim"; then
    echo "no difference"
fi
echo
echo "The restored copy stays in $work for a closer look."
