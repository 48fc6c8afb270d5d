#!/usr/bin/env bash
# Patches a copy of the bundled sample simulator tree (examples/sim) with cirrowisp-cli and
# shows the summary and what changed in one aircraft. The sample tree itself is never touched.
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
echo "The patched copy stays in $work for a closer look."
