#include "patcher/simulator_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fake_file_system.h"
#include "tests/support/fake_registry.h"
#include "tests/support/named_rows.h"

namespace cirrowisp {
namespace {

using namespace std::string_literals;

constexpr auto kMachine = RegistryRoot::localMachine;
constexpr auto kUser = RegistryRoot::currentUser;
constexpr auto k32 = RegistryView::bits32;
constexpr auto k64 = RegistryView::bits64;

struct Value {
    RegistryRoot root;
    RegistryView view;
    std::string key;
    std::string name;
    std::string data;
};

// A registry, the folders that exist, and the installations found: "name folder config", the
// configuration file relative to the roaming folder.
struct TableRow {
    const char* name;
    std::vector<Value> values;
    std::vector<std::string> folders;
    std::vector<std::string> expected;
};

const std::string kP3d = "SOFTWARE\\Lockheed Martin\\Prepar3D v";
const std::string kP3dUser = "Software\\Lockheed Martin\\Prepar3D v";
const std::string kRoaming = "/c/Users/pilot/AppData/Roaming/";

// A row, written as a call so that it packs onto a few lines.
TableRow row(const char* name, std::vector<Value> values, std::vector<std::string> folders,
             std::vector<std::string> expected) {
    return {name, std::move(values), std::move(folders), std::move(expected)};
}

class SimulatorTable : public ::testing::TestWithParam<TableRow> {};

TEST_P(SimulatorTable, FindsWhatTheRegistryNamesAndTheDiskHolds) {
    const TableRow& row = GetParam();
    FakeRegistry registry;
    // "C:\A\B" is /c/A/B here, as a Wine prefix maps it.
    registry.setPathMapping([](const std::string& path) -> std::optional<std::string> {
        std::string host = "/";
        host += static_cast<char>(std::tolower(static_cast<unsigned char>(path.at(0))));
        host.append(path, 2);
        std::replace(host.begin(), host.end(), '\\', '/');
        return host;
    });
    registry.setValue(kUser, k64,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      "AppData", "C:\\Users\\pilot\\AppData\\Roaming\0"s);
    for (const Value& value : row.values) {
        registry.setValue(value.root, value.view, value.key, value.name, value.data);
    }
    FakeFileSystem disk;
    for (const std::string& folder : row.folders) {
        disk.addFolder(folder);
    }
    disk.addFile("/c/SteamAlone/Steam_Api.DLL", "");

    std::vector<std::string> found;
    for (const SimulatorInstallation& i : findSimulatorInstallations(registry, disk)) {
        EXPECT_EQ(i.configFile.rfind(kRoaming, 0), 0u) << i.configFile;
        found.push_back(std::string(i.row->name) + " " + i.folder + " " +
                        i.configFile.substr(std::min(i.configFile.size(), kRoaming.size())));
    }
    EXPECT_EQ(found, row.expected);
}

const std::string kFsx = std::string(kFsxKey);

INSTANTIATE_TEST_SUITE_P(
    Registry, SimulatorTable,
    ::testing::Values(
        row("BoxedFsx", {{kMachine, k32, kFsx, "SetupPath", "C:\\FSX\\\0"s}}, {"/c/FSX"},
            {"fsx /c/FSX Microsoft/FSX/fsx.cfg"}),
        row("BoxedFsxForThisUserOnly", {{kUser, k64, kFsx, "AppPath", "C:\\FSX\0"s}}, {"/c/FSX"},
            {"fsx /c/FSX Microsoft/FSX/fsx.cfg"}),
        row("SteamEditionBesideBoxedFsx",
            {{kMachine, k32, kFsx, "SetupPath", "C:\\FSX\0"s},
             {kUser, k64, std::string(kFsxSteamKey), "AppPath", "C:\\Steam\\FSX\\\0"s}},
            {"/c/FSX", "/c/Steam/FSX"},
            {"fsx /c/FSX Microsoft/FSX/fsx.cfg",
             "fsx-se /c/Steam/FSX Microsoft/FSX-SE/fsx_se.cfg"}),
        row("SteamEditionByDovetailsKeyAlone",
            {{kMachine, k32, "SOFTWARE\\DovetailGames\\FSX", "Install_Path", "C:\\Steam\\FSX"}},
            {"/c/Steam/FSX"}, {"fsx-se /c/Steam/FSX Microsoft/FSX/fsx.cfg"}),
        // Installed alone it writes the boxed one's keys; its steam_api.dll gives it away.
        row("SteamEditionAloneUnderFsxKeys",
            {{kMachine, k32, kFsx, "SetupPath", "C:\\SteamAlone\0"s}}, {"/c/SteamAlone"},
            {"fsx-se /c/SteamAlone Microsoft/FSX/fsx.cfg"}),
        row("Esp",
            {{kMachine, k32, "SOFTWARE\\Microsoft\\Microsoft ESP\\1.0", "SetupPath", "C:\\ESP\0"s}},
            {"/c/ESP"}, {"esp /c/ESP Microsoft/ESP/ESP.cfg"}),
        row("Prepar3dV1WithoutSpaceInTheMakersName",
            {{kMachine, k32, "SOFTWARE\\LockheedMartin\\Prepar3D", "SetupPath", "C:\\P3D\0"s}},
            {"/c/P3D"}, {"p3d-v1 /c/P3D Lockheed Martin/Prepar3D/Prepar3D.cfg"}),
        row("Prepar3dV2", {{kMachine, k32, kP3d + "2", "SetupPath", "C:\\P3D2\0"s}}, {"/c/P3D2"},
            {"p3d-v2 /c/P3D2 Lockheed Martin/Prepar3D v2/Prepar3D.cfg"}),
        row("Prepar3dV3ForThisUser", {{kUser, k64, kP3dUser + "3", "AppPath", "C:\\P3D3\\\0"s}},
            {"/c/P3D3"}, {"p3d-v3 /c/P3D3 Lockheed Martin/Prepar3D v3/Prepar3D.cfg"}),
        row("Prepar3dV4In64BitView",
            {{kMachine, k64, kP3d + "4", "SetupPath", "C:\\Program Files\\P3D4\\\0"s}},
            {"/c/Program Files/P3D4"},
            {"p3d-v4 /c/Program Files/P3D4 Lockheed Martin/Prepar3D v4/Prepar3D.cfg"}),
        row("Prepar3dV5", {{kMachine, k64, kP3d + "5", "SetupPath", "C:\\P3D5\0"s}}, {"/c/P3D5"},
            {"p3d-v5 /c/P3D5 Lockheed Martin/Prepar3D v5/Prepar3D.cfg"}),
        row("Prepar3dV6ForThisUser", {{kUser, k64, kP3dUser + "6", "AppPath", "C:\\P3D6\0"s}},
            {"/c/P3D6"}, {"p3d-v6 /c/P3D6 Lockheed Martin/Prepar3D v6/Prepar3D.cfg"}),
        // A 32-bit installer never writes the 64-bit view, and from v4 on the reverse holds.
        row("WrongViewsNotTaken",
            {{kMachine, k64, kP3d + "3", "SetupPath", "C:\\P3D3\0"s},
             {kMachine, k32, kP3d + "4", "SetupPath", "C:\\P3D4\0"s},
             {kMachine, k64, kFsx, "SetupPath", "C:\\FSX\0"s}},
            {"/c/P3D3", "/c/P3D4", "/c/FSX"}, {}),
        row("TrailingNulsAndBackslashesStripped",
            {{kMachine, k64, kP3d + "4", "SetupPath", "C:\\P3D4\\\\\0\0"s}}, {"/c/P3D4"},
            {"p3d-v4 /c/P3D4 Lockheed Martin/Prepar3D v4/Prepar3D.cfg"}),
        // The machine's entry names a folder since removed: the user's entry is tried next.
        row("RemovedFolderPassedOver",
            {{kMachine, k64, kP3d + "5", "SetupPath", "C:\\Old\0"s},
             {kUser, k64, kP3dUser + "5", "AppPath", "C:\\New\0"s},
             {kMachine, k32, "SOFTWARE\\Microsoft\\Microsoft ESP\\1.0", "SetupPath", "C:\\Gone"}},
            {"/c/New"}, {"p3d-v5 /c/New Lockheed Martin/Prepar3D v5/Prepar3D.cfg"}),
        row("SeveralInTableOrder",
            {{kMachine, k64, kP3d + "6", "SetupPath", "C:\\P3D6\0"s},
             {kMachine, k32, "SOFTWARE\\Microsoft\\Microsoft ESP\\1.0", "SetupPath", "C:\\ESP\0"s},
             {kMachine, k32, kFsx, "SetupPath", "C:\\FSX\0"s}},
            {"/c/P3D6", "/c/ESP", "/c/FSX"},
            {"fsx /c/FSX Microsoft/FSX/fsx.cfg", "esp /c/ESP Microsoft/ESP/ESP.cfg",
             "p3d-v6 /c/P3D6 Lockheed Martin/Prepar3D v6/Prepar3D.cfg"})),
    RowName{});

TEST(SimulatorTableNames, SayWhichValueAndViewNamedTheFolder) {
    FakeRegistry registry;
    registry.setValue(kMachine, k64, kP3d + "4", "SetupPath", "/p3d4\0"s);
    FakeFileSystem disk;
    disk.addFolder("/p3d4");
    const auto found = findSimulatorInstallations(registry, disk);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(
        found[0].foundIn,
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Lockheed Martin\\Prepar3D v4\\SetupPath (64-bit view)");
    EXPECT_EQ(found[0].configFile, "");  // no roaming folder known
    EXPECT_EQ(findSimulatorRow("p3d-v4"), found[0].row);
    EXPECT_EQ(findSimulatorRow("p3d"), nullptr);
}

}  // namespace
}  // namespace cirrowisp
