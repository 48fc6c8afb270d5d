#!/usr/bin/env bash
# The README's main command: the demo must patch the sample tree with the expected totals, and
# its restore, over the same folders, must give back the sample trees byte for byte.
set -euo pipefail
output=$(scripts/demo.sh)
echo "$output"
expect() {
    if ! grep -qF -- "$1" <<<"$output"; then
        echo "demo output lacks: $1" >&2
        exit 1
    fi
}
expect "Scanned 10 AI and 0 flyable aircrafts files for contrails."
expect "Added contrails to 6 files."
expect "+contrail=fx_Cirrowisp"
expect "+max_contrail_temperature=-27"
expect "Added contrails to 0 files."
# The folders fsx.cfg lists: the helicopter and the AI traffic outside the simulator folder.
expect "/sim/SimObjects/Rotorcraft/Petrel_EC130: AI, contrail line added"
expect "/ai-outside/Aircraft/Skua_B767: AI, contrail line added"
expect "/sim/SimObjects/Boats: listed in fsx.cfg, not there, passed over"
expect "Scanned 12 AI and 0 flyable aircrafts files for contrails."
# The restore over the same folders, the listed ones included.
expect "Restored the original files of 11 AI and 0 flyable aircraft."
expect "Gull_B757: AI, left alone, edited since the run"
expect "exit status 3"
expect "no difference"
# The simulators of the sample Wine prefix and Steam layout, in the table's order.
expect "fsx-se	$(sed -n 's/^The restored copy stays in \(.*\) for a closer look\.$/\1/p' <<<"$output")/home/Games/SteamLibrary/steamapps/common/FSX	Steam library "
expect "/wine-prefix/drive_c/Program Files/Lockheed Martin/Prepar3D v4	Wine prefix "
expect "HKEY_LOCAL_MACHINE\SOFTWARE\Lockheed Martin\Prepar3D v4\SetupPath (64-bit view)"
expect "/Prepar3D v4/SimObjects/Rotorcraft/Petrel_EC130: AI, contrail line added"
# Prepar3D v4's lists and packages: exactly the aircraft it loads, and the effect warning once.
expect "/AI Traffic/Aircraft/AI_A321: AI, contrail line added"
expect "/Add-ons/Skua 767/SimObjects/Airplanes/Skua_B767: AI, contrail line added"
expect "/Add-ons/Discovered/Gannet Freighters/Aircraft/Gannet_B744F: AI, contrail line added"
expect "/Prepar3D v4 Add-ons/Pelican Cargo/SimObjects/Airplanes/Pelican_MD11F: AI, contrail line added"
expect "/Broken Glider/add-on.xml: mismatched tag (line 7), passed over"
expect "Scanned 6 AI and 0 flyable aircrafts files for contrails."
for absent in Osprey_P51 Tanker_KC10 Swift_CL650 Broken_ASK21; do
    if grep -qF "$absent" <<<"$output"; then
        echo "demo output names $absent, which Prepar3D does not load" >&2
        exit 1
    fi
done
if [ "$(grep -c "warning: The effect file fx_Cirrowisp.fx" <<<"$output")" -ne 1 ]; then
    echo "demo output should warn of the missing effect file exactly once" >&2
    exit 1
fi
rm -rf "$(sed -n 's/^The restored copy stays in \(.*\) for a closer look\.$/\1/p' <<<"$output")"
