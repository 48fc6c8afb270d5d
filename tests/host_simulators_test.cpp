// The simulators a Linux host finds (a Wine prefix, Steam's Proton prefix) and the command
// line's options over them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "patcher/effect_file.h"
#include "patcher/simulator_location.h"
#include "platform/steam_library.h"
#include "tests/support/cli_run.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/named_rows.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_tree.h"
#include "ui/common/generator_form.h"
#include "ui/common/restore_action.h"

namespace cirrowisp {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

using VdfRow = TextRow<std::vector<std::string>>;  // the library paths

class LibraryFolders : public ::testing::TestWithParam<VdfRow> {};

TEST_P(LibraryFolders, ListsTheLibraries) {
    EXPECT_EQ(steamLibraryPaths(GetParam().text), GetParam().yields);
}

INSTANTIATE_TEST_SUITE_P(
    Vdf, LibraryFolders,
    ::testing::Values(
        VdfRow{
            "PathEntries",
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/p/.local/share/Steam\"\n"
            "\t\t\"apps\"\n\t\t{\n\t\t\t\"314160\"\t\t\"123\"\n\t\t}\n\t}\n"
            "\t\"1\"\n\t{\n\t\t\"PATH\"\t\t\"/mnt/games\"\n\t}\n}\n",
            {"/home/p/.local/share/Steam", "/mnt/games"}},
        // Before 2021 the libraries were plain numbered strings beside other keys.
        VdfRow{"OldPlainStrings",
               "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n"
               "\t\"ContentStatsID\"\t\t\"-1\"\n\t\"1\"\t\t\"/mnt/games\"\n}\n",
               {"/mnt/games"}},
        VdfRow{"EscapesAndComments",
               "// written by Steam\n\"libraryfolders\" { \"1\" { \"path\" \"/mnt/a "
               "\\\"b\\\"\\\\c\" } }",
               {"/mnt/a \"b\"\\c"}},
        VdfRow{"Empty", "", {}}),
    RowName{});

fs::path examples() {
    return sampleTree().parent_path();
}

// HOME holding the sample Steam layout (two libraries: Steam's own, with the prefix, and a
// second one with the game), the library paths made absolute as Steam writes them; the
// sample Wine prefix (Prepar3D v4) as WINEPREFIX.
class HostSimulators : public ::testing::Test {
protected:
    void SetUp() override {
        // The prefix's drive links stay links, as Proton makes them.
        fs::copy(examples() / "steam-home", home_.root() / "home",
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        const std::string vdf = "home/.local/share/Steam/steamapps/libraryfolders.vdf";
        std::string text = home_.read(vdf);
        for (std::size_t at; (at = text.find("\"HOME/")) != std::string::npos;) {
            text.replace(at + 1, 4, home_.path("home"));
        }
        home_.write(vdf, text);
        SimulatorPathLookup::reset();
    }
    void TearDown() override { SimulatorPathLookup::reset(); }

    std::string p3d() const {
        return (examples() / "wine-prefix/drive_c/Program Files/Lockheed Martin/Prepar3D v4")
            .string();
    }
    std::string steamGame() const {
        return home_.path("home/Games/SteamLibrary/steamapps/common/FSX");
    }

    testing::TempTree home_;
    ScopedEnv homeEnv_{"HOME", home_.path("home").c_str()};
    ScopedEnv prefixEnv_{"WINEPREFIX", (examples() / "wine-prefix").c_str()};
};

TEST_F(HostSimulators, ListedInTableOrderWithWhereEachWasFound) {
    const Outcome listed = cli({"--list-simulators"});
    EXPECT_EQ(listed.status, kExitOk);
    EXPECT_EQ(listed.out,
              "fsx-se\t" + steamGame() + "\tSteam library " +
                  home_.path("home/Games/SteamLibrary") + ", Proton prefix " +
                  home_.path("home/.local/share/Steam/steamapps/compatdata/314160/pfx") +
                  "\np3d-v4\t" + p3d() + "\tWine prefix " + (examples() / "wine-prefix").string() +
                  ", HKEY_LOCAL_MACHINE\\SOFTWARE\\Lockheed Martin\\Prepar3D "
                  "v4\\SetupPath (64-bit view)\n");

    // Without any of them: nothing, and no error.
    ScopedEnv noPrefix("WINEPREFIX", home_.path("none").c_str());
    fs::remove_all(home_.root() / "home" / ".local");
    const Outcome none = cli({"--list-simulators"});
    EXPECT_EQ(none.status, kExitOk);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "");
}

// The Proton prefix in both libraries: the one Steam used last, by its lock, is the one.
TEST_F(HostSimulators, NewestPrefixLockWins) {
    const fs::path own = home_.root() / "home/.local/share/Steam/steamapps/compatdata/314160";
    const fs::path other = home_.root() / "home/Games/SteamLibrary/SteamApps/compatdata/314160";
    fs::create_directories(other / "pfx");
    fs::rename(home_.root() / "home/Games/SteamLibrary/steamapps/appmanifest_314160.acf",
               other.parent_path().parent_path() / "APPMANIFEST_314160.acf");
    fs::rename(home_.root() / "home/Games/SteamLibrary/steamapps/common",
               other.parent_path().parent_path() / "common");
    fs::remove(home_.root() / "home/Games/SteamLibrary/steamapps");
    std::ofstream(own / "pfx.lock") << "";
    std::ofstream(other / "pfx.lock") << "";
    fs::last_write_time(own / "pfx.lock",
                        fs::last_write_time(other / "pfx.lock") - std::chrono::hours(1));
    const auto game = findProtonGame(home_.path("home"), "314160", "FSX");
    ASSERT_TRUE(game);
    EXPECT_EQ(game->prefix, other / "pfx");
    EXPECT_EQ(game->folder, other.parent_path().parent_path() / "common" / "FSX");

    fs::last_write_time(own / "pfx.lock",
                        fs::last_write_time(other / "pfx.lock") + std::chrono::hours(1));
    EXPECT_EQ(findProtonGame(home_.path("home"), "314160", "FSX")->prefix, own / "pfx");
}

TEST_F(HostSimulators, SimulatorOptionChoosesFolderAndConfigurationFile) {
    // Its own folder, and the folders its own Prepar3D.cfg lists (the helicopter included).
    Outcome run = cli({"--dry-run", "--simulator", "p3d-v4", "--simobject-paths", "--engines",
                       "jet,turboprop,helo-turbine", "--verbose"});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_THAT(run.err, HasSubstr(p3d() + "/SimObjects/Rotorcraft/Petrel_EC130: AI"));

    // Steam Edition's fsx.cfg is steamuser's in the Proton prefix.
    run = cli({"--dry-run", "--simulator=fsx-se", "--simobject-paths", "--verbose"});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_THAT(run.err, HasSubstr(steamGame() + "/SimObjects/Airplanes/Northwind_B737: AI"));

    // A folder on the command line wins over the simulator's.
    run = cli({"--dry-run", "--simulator", "fsx-se", sampleTree().string()});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Scanned 10 AI"));

    // Without a choice the first installation found is the default.
    run = cli({"--dry-run", "--verbose"});
    EXPECT_THAT(run.err, HasSubstr(steamGame()));
}

// The sample Prepar3D v4 has every kind of list at once: Prepar3D.cfg, simobjects.cfg with an
// entry switched off and a gap, add-ons.cfg in the program data and the local folder, a
// discovery path, a package in Documents, one switched off in add-ons.cfg, one discovered in
// Documents but switched off in the other add-ons.cfg, and one whose add-on.xml is broken.
TEST_F(HostSimulators, Prepar3DTreatsExactlyTheAircraftItLoads) {
    const Outcome run = cli({"--dry-run", "--simulator", "p3d-v4", "--simobject-paths", "--engines",
                             "jet,turboprop,helo-turbine", "--verbose"});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    std::set<std::string> treated;
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);) {
        if (const std::size_t end = line.find(": AI,"); end != std::string::npos) {
            treated.insert(line.substr(0, end));
        }
    }
    const std::string driveC = (examples() / "wine-prefix/drive_c/").string();
    const std::string documents = driveC + "users/pilot/Documents/Prepar3D v4 Add-ons/";
    EXPECT_EQ(treated, (std::set<std::string>{
                           p3d() + "/SimObjects/Airplanes/Kestrel_ATR72",
                           p3d() + "/SimObjects/Rotorcraft/Petrel_EC130",
                           driveC + "AI Traffic/Aircraft/AI_A321",
                           driveC + "Add-ons/Skua 767/SimObjects/Airplanes/Skua_B767",
                           driveC + "Add-ons/Discovered/Gannet Freighters/Aircraft/Gannet_B744F",
                           documents + "Pelican Cargo/SimObjects/Airplanes/Pelican_MD11F"}));
    EXPECT_THAT(run.err, HasSubstr(documents + "Broken Glider/add-on.xml: "));
    EXPECT_THAT(run.err, HasSubstr("simobjects.cfg at " + driveC +
                                   "ProgramData/Lockheed Martin/Prepar3D v4/simobjects.cfg: 3 "
                                   "folders\n"));
    // The sample simulator has an Effects folder but not the effect: one warning.
    const std::string warning =
        missingEffectText({p3d() + "/Effects", std::nullopt}, "fx_Cirrowisp");
    EXPECT_THAT(run.err, HasSubstr("warning: " + warning + "\n"));
    EXPECT_EQ(run.err.find(warning), run.err.rfind(warning));

    // An effect the simulator has: no warning, and --verbose says where it is.
    const Outcome found =
        cli({"--dry-run", "--simulator", "p3d-v4", "--effect", "fx_wake", "--verbose"});
    EXPECT_THAT(found.err, Not(HasSubstr("warning: The effect file")));
    EXPECT_THAT(found.err, HasSubstr("fx_wake.fx: found in " + p3d() + "/Effects\n"));
    const Outcome inPackage =
        cli({"--dry-run", "--simulator", "p3d-v4", "--effect", "fx_skua_wingflex", "--verbose"});
    EXPECT_THAT(inPackage.err, Not(HasSubstr("warning: The effect file")));
    EXPECT_THAT(inPackage.err, HasSubstr("fx_skua_wingflex.fx: found in " + driveC +
                                         "Add-ons/Skua 767/Effects\n"));
}

TEST_F(HostSimulators, UnknownOrMissingSimulatorIsAUsageError) {
    for (const char* name : {"p3d-v5", "msfs"}) {
        SCOPED_TRACE(name);
        for (const char* mode : {"--dry-run", "--restore"}) {
            const Outcome run = cli({mode, "--simulator", name});
            EXPECT_EQ(run.status, kExitUsage);
            EXPECT_THAT(run.err,
                        HasSubstr(std::string("'") + name + "' (installed here: fsx-se, p3d-v4)"));
            EXPECT_EQ(run.out, "");
        }
    }
}

// With no home folder there is no user's fsx.cfg: the command line and both dialogs' forms
// refuse alike, before anything changes.
TEST(NoHomeFolder, SimulatorsOwnListIsRefusedAlikeEverywhere) {
    ScopedEnv noHome("HOME", nullptr);
    ScopedEnv noPrefix("WINEPREFIX", nullptr);
    const Outcome run = cli({"--dry-run", "--simobject-paths", sampleTree().string()});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_THAT(run.err, HasSubstr("fsx.cfg: there is no home folder to look for it in"));

    FakeFileSystem fileSystem;
    FormValues form = formFromOptions(PatchOptions{});
    form.simulatorPath = "/sim";
    form.simObjectPaths = true;
    PatchOptions options;
    const StartOutcome start = runStart(form, options, fileSystem);
    EXPECT_EQ(start.kind, StartOutcome::Kind::failed);
    EXPECT_THAT(start.message, HasSubstr("fsx.cfg\n\nthere is no home folder to look for it in"));
    const RestoreOutcome restore = runRestoreFromForm(form, fileSystem);
    EXPECT_EQ(restore.kind, RestoreOutcome::Kind::failed);
    EXPECT_EQ(restore.message, start.message);
    EXPECT_TRUE(fileSystem.log().empty());
}

}  // namespace
}  // namespace cirrowisp
