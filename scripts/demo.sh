#!/usr/bin/env bash
# Patches a copy of the bundled sample simulator tree (examples/sim) with cirrowisp-cli and
# shows the summary and what changed in one aircraft; then the same with the folders the
# sample's fsx.cfg lists (a helicopter folder, and AI traffic in examples/ai-outside, beside the
# simulator folder). Last it restores the original files, with the same folder options, and
# shows that the copies are the sample trees again. Then the simulators a Linux host finds: a copy
# of the sample Wine prefix (Prepar3D v4) and of a home folder whose Steam keeps FSX: Steam Edition
# for Proton. The sample trees themselves are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -x scripts/ci/install-deps.sh ]; then
    scripts/ci/install-deps.sh cli   # only what the command line needs to build
fi

cli=build/release/cli/cirrowisp-cli
if [ ! -f build/release/build.ninja ]; then
    cmake --preset release >/dev/null
fi
cmake --build --preset release --target cirrowisp-cli -j2 >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/cirrowisp-demo.XXXXXX")
cp -R examples/sim "$work/sim"
# fsx.cfg reaches it as ..\ai-outside\Aircraft: a sibling of the simulator folder, as in the sample.
cp -R examples/ai-outside "$work/ai-outside"
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
echo "== The simulator's own list of aircraft folders, in [Main] of $work/sim/fsx.cfg:"
grep -i '^SimObjectPaths' "$work/sim/fsx.cfg" | tr -d '\r'
echo
helo=jet,turboprop,helo-turbine
echo "== With Helo-Turbine ticked, without that list: cirrowisp-cli --dry-run --engines $helo SIMULATOR_FOLDER"
"$cli" --dry-run --engines "$helo" "$work/sim"
echo
echo "== And with it, one line per treated aircraft or missing folder:"
echo "   cirrowisp-cli --verbose --simobject-paths --fsx-cfg FSX_CFG --engines $helo SIMULATOR_FOLDER"
"$cli" --verbose --simobject-paths --fsx-cfg "$work/sim/fsx.cfg" --engines "$helo" "$work/sim" 2>&1
echo
echo "== Restore, over the same folders as that run:"
echo "   cirrowisp-cli --restore --simobject-paths --fsx-cfg FSX_CFG SIMULATOR_FOLDER"
echo "   (Gull_B757 came patched by an earlier run and was given a livery since: it is left alone)"
status=0
"$cli" --restore --simobject-paths --fsx-cfg "$work/sim/fsx.cfg" "$work/sim" 2>&1 || status=$?
case $status in
    0) ;;
    3) echo "(exit status 3: a folder with a backup was left alone, named above)" ;;
    *) exit "$status" ;;
esac
echo
echo "== The copies are the sample trees again, byte for byte:"
echo "   diff -r examples/sim COPY/sim && diff -r examples/ai-outside COPY/ai-outside"
if diff -r examples/sim "$work/sim" && diff -r examples/ai-outside "$work/ai-outside"; then
    echo "no difference"
fi
echo
echo "== The simulators this host would find, with a copy of the sample Wine prefix (Prepar3D v4)"
echo "   as WINEPREFIX and of a home folder whose Steam keeps FSX: Steam Edition for Proton:"
echo "   cirrowisp-cli --list-simulators"
cp -R examples/wine-prefix "$work/wine-prefix"
cp -R examples/steam-home "$work/home"
# Steam writes its libraries' absolute paths; the sample says HOME where the copy's path goes.
sed -i "s|\"HOME/|\"$work/home/|" "$work/home/.local/share/Steam/steamapps/libraryfolders.vdf"
export WINEPREFIX="$work/wine-prefix" HOME="$work/home"
"$cli" --list-simulators
echo
echo "== Every aircraft Prepar3D v4 loads: its own folder, the folders its Prepar3D.cfg lists,"
echo "   the active entries of simobjects.cfg (Warbirds is switched off), and the SimObjects of"
echo "   every active add-on package (named in add-ons.cfg, found on a discovery path or in"
echo "   Documents; Old Tanker and Swift Bizjet are switched off, Broken Glider's add-on.xml is"
echo "   broken). Its Effects folder lacks fx_Cirrowisp.fx: one warning."
echo "   cirrowisp-cli --dry-run --verbose --simulator p3d-v4 --simobject-paths --engines $helo"
"$cli" --dry-run --verbose --simulator p3d-v4 --simobject-paths --engines "$helo" 2>&1
echo
echo "The restored copy stays in $work for a closer look."
