#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "patcher/aircraft_roots.h"
#include "patcher/aircraft_scan.h"
#include "patcher/cfg_rewrite.h"
#include "platform/host_file_system.h"
#include "tests/support/cli_run.h"
#include "tests/support/host_tree_test.h"
#include "tests/support/named_rows.h"
#include "tests/support/samples.h"
#include "tests/support/temp_tree.h"

namespace cirrowisp {
namespace {

using testing::TempTree;

const std::string kTestJet = sampleAircraft("Test Jet", 1, "\r\n");

class ScanTest : public testing::HostTreeTest {};

TEST(SummaryText, ThreeLinesInTheOrderOfTheTotals) {
    EXPECT_EQ(summaryText({12, 3, 9, 8}),
              "Scanned 12 AI and 3 flyable aircrafts files for contrails.\n"
              "Added contrails to 9 files.\n"
              "Changed temperature in 8 files.");
}

TEST_F(ScanTest, SimulatorFolderWithoutRootsCountsNothing) {
    tree.write("readme.txt", "not a simulator\r\n");
    const ScanTotals totals = run();
    EXPECT_EQ(summaryText(totals), summaryText({}));
    EXPECT_EQ(tree.files().size(), 1u);
}

// One aircraft folder set up per row; the outcome says whether it was treated, and as what.
struct FolderCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // below SimObjects/Airplanes
    std::vector<std::string> folders;
    bool includeFlyable;
    int ai;
    int flyable;
    const char* patchedFile;  // the aircraft file that must now hold the new bytes, or null
};

// A row, written as a call so that it packs onto a few lines.
FolderCase folderCase(const char* name, std::vector<std::pair<std::string, std::string>> files,
                      std::vector<std::string> folders, bool includeFlyable, int ai, int flyable,
                      const char* patchedFile) {
    return {name, std::move(files), std::move(folders), includeFlyable, ai, flyable, patchedFile};
}

class FolderRules : public ScanTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FolderRules, TreatsOrLeavesTheFolder) {
    const FolderCase& c = GetParam();
    for (const auto& [path, bytes] : c.files) {
        tree.write("SimObjects/Airplanes/" + path, bytes);
    }
    for (const auto& folder : c.folders) {
        tree.folder("SimObjects/Airplanes/" + folder);
    }
    const auto before = tree.files();
    // Dated in the past, so a file written again within the same second shows a new time. The
    // time is read back, as a host may store it less finely than it was given.
    const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::map<std::string, std::filesystem::file_time_type> times;
    for (const auto& [path, bytes] : before) {
        std::filesystem::last_write_time(tree.root() / path, past);
        times[path] = std::filesystem::last_write_time(tree.root() / path);
    }
    const ScanTotals totals = run(c.includeFlyable);
    EXPECT_EQ(totals.aiAircraft, c.ai);
    EXPECT_EQ(totals.flyableAircraft, c.flyable);

    auto expected = before;
    if (c.patchedFile != nullptr) {
        const std::string file = std::string("SimObjects/Airplanes/") + c.patchedFile;
        const std::string folder = file.substr(0, file.rfind('/'));
        expected[file] = patched(before.at(file));
        expected[folder + "/without_contrails_aircraft.cfg"] = before.at(file);
        EXPECT_EQ(totals.contrailsAdded, 1);
    } else {
        EXPECT_EQ(totals.contrailsAdded, 0);
    }
    EXPECT_EQ(tree.files(), expected);
    for (const auto& [path, bytes] : before) {
        if (expected.at(path) == bytes) {
            EXPECT_EQ(std::filesystem::last_write_time(tree.root() / path), times.at(path)) << path;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scan, FolderRules,
    ::testing::Values(
        folderCase("PlainAi", {{"Jet/aircraft.cfg", kTestJet}}, {}, false, 1, 0,
                   "Jet/aircraft.cfg"),
        folderCase("SettledFileIsLeftAlone", {{"Jet/aircraft.cfg", patched(kTestJet)}}, {}, false,
                   1, 0, nullptr),
        folderCase("PanelFolderSkippedWhenFlyableOff", {{"Jet/aircraft.cfg", kTestJet}},
                   {"Jet/panel"}, false, 0, 0, nullptr),
        folderCase("PanelFolderCountsAsFlyable", {{"Jet/aircraft.cfg", kTestJet}}, {"Jet/panel"},
                   true, 0, 1, "Jet/aircraft.cfg"),
        folderCase("PanelFileCountsAsFlyable", {{"Jet/aircraft.cfg", kTestJet}, {"Jet/panel", "x"}},
                   {}, true, 0, 1, "Jet/aircraft.cfg"),
        folderCase("PanelInOtherCaseIsAPanel", {{"Jet/aircraft.cfg", kTestJet}}, {"Jet/PANEL"},
                   false, 0, 0, nullptr),
        folderCase("PanelWithExtensionIsNoPanel",
                   {{"Jet/aircraft.cfg", kTestJet}, {"Jet/panel.cfg", "x"}}, {}, false, 1, 0,
                   "Jet/aircraft.cfg"),
        folderCase("OnlyABackupIsNotCounted", {{"Jet/without_contrails_aircraft.cfg", kTestJet}},
                   {}, false, 0, 0, nullptr),
        folderCase("DotInFolderNameIsNotVisited", {{"Jet.Old/aircraft.cfg", kTestJet}}, {}, false,
                   0, 0, nullptr),
        folderCase("TwoLevelsDownIsNotFound", {{"Pack/Jet/aircraft.cfg", kTestJet}}, {}, false, 0,
                   0, nullptr),
        folderCase("OtherSpellingIsFoundAndKept", {{"Jet/Aircraft.CFG", kTestJet}}, {}, false, 1, 0,
                   "Jet/Aircraft.CFG"),
        folderCase("AircraftCfgThatIsAFolderIsSkipped", {}, {"Jet/aircraft.cfg"}, false, 0, 0,
                   nullptr),
        folderCase("FileNamedLikeAFolderIsNotAnAircraft", {{"Jet", kTestJet}}, {}, false, 0, 0,
                   nullptr),
        // "*." lets the entry for the root itself through, as for any folder.
        folderCase("RootItselfPassesAsDot", {{"aircraft.cfg", kTestJet}}, {}, false, 1, 0,
                   "aircraft.cfg")),
    RowName{});

TEST_F(ScanTest, BackupInOtherSpellingIsKeptAndNotDuplicated) {
    tree.write("MyTraffic/Aircraft/Jet/aircraft.cfg", patched(kTestJet));
    tree.write("MyTraffic/Aircraft/Jet/Without_Contrails_Aircraft.cfg", kTestJet);
    const auto before = tree.files();
    EXPECT_EQ(run().aiAircraft, 1);
    EXPECT_EQ(tree.files(), before);
}

TEST_F(ScanTest, BothRootsAreScanned) {
    tree.write("SimObjects/Airplanes/A/aircraft.cfg", kTestJet);
    tree.write("MyTraffic/Aircraft/B/aircraft.cfg", kTestJet);
    const ScanTotals totals = run();
    EXPECT_EQ(totals.aiAircraft, 2);
    EXPECT_EQ(totals.temperaturesChanged, 2);
}

// Listed twice, the second time in other letter case: one folder on a disk that ignores case
// (where both spellings open it), and on one that does not (where the second finds the first).
TEST_F(ScanTest, FolderListedInTwoLetterCasesIsScannedOnce) {
    tree.write("SimObjects/Rotorcraft/Helo/aircraft.cfg", kTestJet);
    PatchOptions options;
    options.simulatorPath = tree.path();
    options.simObjectPaths = {"SimObjects\\Rotorcraft", "simobjects\\ROTORCRAFT"};
    EXPECT_EQ(findAircraftRoots(options, *fs).folders.size(), 1u);
    EXPECT_EQ(AircraftScan(options, *fs).aiAircraft, 1);
}

TEST_F(ScanTest, RelativePathIsResolvedOnceAndWorkingDirectoryStays) {
    tree.write("sim/SimObjects/Airplanes/A/aircraft.cfg", kTestJet);
    tree.write("sim/MyTraffic/Aircraft/B/aircraft.cfg", kTestJet);
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(tree.root());
    PatchOptions options;
    options.simulatorPath = ".\\sim\\";  // Windows style, trailing separator doubled by the scan
    const ScanTotals totals = AircraftScan(options, *fs);
    const auto after = std::filesystem::current_path();
    std::filesystem::current_path(saved);
    EXPECT_EQ(totals.aiAircraft, 2);
    EXPECT_EQ(after, tree.root());
}

TEST_F(ScanTest, BackupKeepsBytesAfterCtrlZAndStrayFilesAreReused) {
    // The tail is longer than one read, so the copy must drain the input to its very end.
    const std::string original =
        kTestJet + "\x1a" + "tail the simulator never reads\r\n" + std::string(3 * 65536 + 7, 't');
    tree.write("SimObjects/Airplanes/A/aircraft.cfg", original);
    // Left by a run that was killed half-way.
    tree.write("SimObjects/Airplanes/A/new_aircraft.cfg", "[half");
    tree.write("SimObjects/Airplanes/A/without_contrails_aircraft.tmp", "[half");
    run();
    EXPECT_EQ(tree.files(),
              (std::map<std::string, std::string>{
                  {"SimObjects/Airplanes/A/aircraft.cfg", patched(original)},
                  {"SimObjects/Airplanes/A/without_contrails_aircraft.cfg", original}}));
}

TEST_F(ScanTest, SampleTreeFirstAndSecondRun) {
    if (!std::filesystem::exists(sampleTree())) {
        GTEST_SKIP() << "no sample tree at " << sampleTree();
    }
    tree.copyFrom(sampleTree(), "sim");
    PatchOptions options;
    options.simulatorPath = tree.path("sim");
    const ScanTotals first = AircraftScan(options, *fs);
    EXPECT_EQ(summaryText(first), summaryText({10, 0, 6, 6}));
    const auto afterFirst = tree.files();
    // The already patched aircraft keeps the backup it came with.
    EXPECT_EQ(
        afterFirst.at("sim/SimObjects/Airplanes/Gull_B757/without_contrails_aircraft.cfg"),
        readFile(sampleTree() / "SimObjects/Airplanes/Gull_B757/without_contrails_aircraft.cfg"));
    EXPECT_EQ(
        afterFirst.count("sim/SimObjects/Airplanes/Albatross.Old/without_contrails_aircraft.cfg"),
        0u);

    const ScanTotals second = AircraftScan(options, *fs);
    EXPECT_EQ(summaryText(second), summaryText({10, 0, 0, 0}));
    EXPECT_EQ(tree.files(), afterFirst);

    options.includeFlyable = 1;
    const ScanTotals withFlyable = AircraftScan(options, *fs);
    EXPECT_EQ(summaryText(withFlyable), summaryText({10, 1, 1, 1}));
}

}  // namespace
}  // namespace cirrowisp
