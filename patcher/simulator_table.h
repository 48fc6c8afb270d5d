#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "patcher/registry.h"

namespace cirrowisp {

class FileSystem;

// One place a simulator records its installation folder.
struct SimulatorRegistryEntry {
    RegistryRoot root;
    RegistryView view;
    std::string_view key;
    std::string_view value;
};

// One simulator of the family that reads aircraft.cfg the way this program writes it: its name
// on the command line, its caption in the dialogs, the version its configuration files are
// written by, where it records its folder, and where it keeps its own configuration file
// (relative to the user's roaming application data folder).
struct SimulatorRow {
    std::string_view name;
    std::string_view caption;
    int majorVersion;
    std::array<SimulatorRegistryEntry, 2> entries;
    std::size_t entryCount;
    std::string_view configFile;
    // FSX: Steam Edition installed without the boxed FSX takes the boxed one's configuration
    // file; empty for the others.
    std::string_view configFileWhenAlone;
};

inline constexpr std::string_view kFsxKey =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
inline constexpr std::string_view kFsxSteamKey =
    "Software\\Microsoft\\Microsoft Games\\Flight Simulator - Steam Edition\\10.0";

namespace simulator_rows {
constexpr RegistryRoot kMachine = RegistryRoot::localMachine;
constexpr RegistryRoot kUser = RegistryRoot::currentUser;
constexpr RegistryView k32 = RegistryView::bits32;
constexpr RegistryView k64 = RegistryView::bits64;

constexpr SimulatorRow prepar3d(std::string_view name, std::string_view caption, int version,
                                std::string_view machineKey, std::string_view userKey,
                                std::string_view configFile) {
    return {name,
            caption,
            version,
            {{{kMachine, version >= 4 ? k64 : k32, machineKey, "SetupPath"},
              {kUser, k64, userKey, "AppPath"}}},
            2,
            configFile,
            {}};
}
}  // namespace simulator_rows

// In the order the installations are listed and the first one found becomes the default.
inline constexpr std::array<SimulatorRow, 9> kSimulators = {{
    {"fsx",
     "Flight Simulator X",
     10,
     {{{simulator_rows::kMachine, simulator_rows::k32, kFsxKey, "SetupPath"},
       {simulator_rows::kUser, simulator_rows::k64, kFsxKey, "AppPath"}}},
     2,
     "Microsoft\\FSX\\fsx.cfg",
     {}},
    {"fsx-se",
     "Flight Simulator X: Steam Edition",
     10,
     {{{simulator_rows::kUser, simulator_rows::k64, kFsxSteamKey, "AppPath"},
       {simulator_rows::kMachine, simulator_rows::k32, "SOFTWARE\\DovetailGames\\FSX",
        "Install_Path"}}},
     2,
     "Microsoft\\FSX-SE\\fsx_se.cfg",
     "Microsoft\\FSX\\fsx.cfg"},
    {"esp",
     "ESP",
     1,
     {{{simulator_rows::kMachine, simulator_rows::k32, "SOFTWARE\\Microsoft\\Microsoft ESP\\1.0",
        "SetupPath"}}},
     1,
     "Microsoft\\ESP\\ESP.cfg",
     {}},
    simulator_rows::prepar3d("p3d-v1", "Prepar3D", 1, "SOFTWARE\\LockheedMartin\\Prepar3D",
                             "Software\\LockheedMartin\\Prepar3D",
                             "Lockheed Martin\\Prepar3D\\Prepar3D.cfg"),
    simulator_rows::prepar3d("p3d-v2", "Prepar3D v2", 2, "SOFTWARE\\Lockheed Martin\\Prepar3D v2",
                             "Software\\Lockheed Martin\\Prepar3D v2",
                             "Lockheed Martin\\Prepar3D v2\\Prepar3D.cfg"),
    simulator_rows::prepar3d("p3d-v3", "Prepar3D v3", 3, "SOFTWARE\\Lockheed Martin\\Prepar3D v3",
                             "Software\\Lockheed Martin\\Prepar3D v3",
                             "Lockheed Martin\\Prepar3D v3\\Prepar3D.cfg"),
    simulator_rows::prepar3d("p3d-v4", "Prepar3D v4", 4, "SOFTWARE\\Lockheed Martin\\Prepar3D v4",
                             "Software\\Lockheed Martin\\Prepar3D v4",
                             "Lockheed Martin\\Prepar3D v4\\Prepar3D.cfg"),
    simulator_rows::prepar3d("p3d-v5", "Prepar3D v5", 5, "SOFTWARE\\Lockheed Martin\\Prepar3D v5",
                             "Software\\Lockheed Martin\\Prepar3D v5",
                             "Lockheed Martin\\Prepar3D v5\\Prepar3D.cfg"),
    simulator_rows::prepar3d("p3d-v6", "Prepar3D v6", 6, "SOFTWARE\\Lockheed Martin\\Prepar3D v6",
                             "Software\\Lockheed Martin\\Prepar3D v6",
                             "Lockheed Martin\\Prepar3D v6\\Prepar3D.cfg"),
}};

// The row of that --simulator name; nullptr when there is none.
const SimulatorRow* findSimulatorRow(std::string_view name);

// One installation found on this host.
struct SimulatorInstallation {
    const SimulatorRow* row = nullptr;
    std::string folder;      // as this host's file functions open it, no separator at the end
    std::string foundIn;     // the registry value (and store) or Steam library that named it
    std::string configFile;  // host path of its own configuration file; empty when unknown
};

// What the registry entries of kSimulators name, in table order, each row once. A folder counts
// only when it exists; FSX: Steam Edition installed alone registers under FSX's keys and is
// told apart by the steam_api.dll in its folder.
std::vector<SimulatorInstallation> findSimulatorInstallations(Registry& registry,
                                                              FileSystem& fileSystem);

// The configuration file `relative` (kept under the roaming application data folder) as a
// host path; empty when that folder is not known.
std::string roamingFile(Registry& registry, std::string_view relative);

}  // namespace cirrowisp
