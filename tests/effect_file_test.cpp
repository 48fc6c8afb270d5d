#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patcher/effect_file.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/named_rows.h"

namespace cirrowisp {
namespace {

struct EffectCase {
    const char* name;
    std::vector<std::string> files;  // below /sim and /pkg
    std::string foundIn;             // "" when missing
    bool warns;
};

class EffectFileSearch : public ::testing::TestWithParam<EffectCase> {};

TEST_P(EffectFileSearch, WarnsOnlyWhenASimulatorLacksTheFile) {
    FakeFileSystem fileSystem;
    fileSystem.addFolder("/sim");
    fileSystem.addFolder("/pkg/Effects");
    for (const std::string& file : GetParam().files) {
        fileSystem.addFile(file, "[Library Effect]\n");
    }
    const EffectSearch search =
        findEffectFile(fileSystem, "/sim", {"/pkg/None", "/pkg/Effects"}, "fx_Cirrowisp");
    EXPECT_EQ(search.foundIn.value_or(""), GetParam().foundIn);
    EXPECT_EQ(search.missing(), GetParam().warns);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EffectFileSearch,
    ::testing::Values(
        EffectCase{
            "InTheSimulatorsEffects", {"/sim/Effects/fx_Cirrowisp.fx"}, "/sim/Effects", false},
        EffectCase{"NamesInAnyCase", {"/sim/EFFECTS/FX_CIRROWISP.FX"}, "/sim/EFFECTS", false},
        EffectCase{"InAPackage",
                   {"/sim/Effects/fx_wake.fx", "/pkg/Effects/fx_Cirrowisp.fx"},
                   "/pkg/Effects",
                   false},
        EffectCase{"Missing", {"/sim/Effects/fx_wake.fx", "/pkg/Effects/fx_wake.fx"}, "", true},
        EffectCase{"AFolderOfThatNameIsNoFile", {"/sim/Effects/fx_Cirrowisp.fx/x"}, "", true},
        EffectCase{"NoEffectsFolderNoWarning", {"/sim/SimObjects/aircraft.cfg"}, "", false}),
    RowName{});

}  // namespace
}  // namespace cirrowisp
