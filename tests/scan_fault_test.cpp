#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "patcher/aircraft_roots.h"
#include "patcher/aircraft_scan.h"
#include "patcher/publish_batch.h"
#include "patcher/restore_scan.h"
#include "platform/overlay_file_system.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/samples.h"
#include "tests/support/scan_fault_check.h"
#include "tests/support/tree_transition.h"

namespace cirrowisp {
namespace {

const std::string kTurboprop =
    "[GeneralEngineData]\r\nengine_type=5\r\n[effects]\r\nwater=fx_spray\r\n[end]\r\n";

// One simulator for a run, a restore and a forced restore: two aircraft that need a backup,
// one patched earlier (with its backup), one edited after the run, one spelled otherwise, one
// whose edited file has an older kept copy beside it, backups without their aircraft.cfg (one
// held open), a flyable aircraft the run leaves alone and a folder without aircraft.cfg.
TreeSpec faultTree() {
    TreeSpec tree;
    tree.add("/sim/SimObjects/Airplanes/Jet", kJet);
    tree.add("/sim/SimObjects/Airplanes/Done", patched(kTurboprop)).backup = kTurboprop;
    tree.add("/sim/MyTraffic/Aircraft/Prop", kTurboprop);
    tree.add("/sim/SimObjects/Airplanes/Edited", kJet).editAfterRun =
        "[fltsim.1]\r\ntitle=Livery\r\n";
    tree.add("/sim/SimObjects/Airplanes/Spelled", kTurboprop).aircraftName = "Aircraft.CFG";
    FolderSpec& kept = tree.add("/sim/MyTraffic/Aircraft/Kept", kJet);
    kept.editAfterRun = "x=1\r\n";
    kept.keptBefore = "older\r\n";
    tree.add("/sim/SimObjects/Airplanes/OnlyBackup", std::nullopt).backup = kJet;
    FolderSpec& held = tree.add("/sim/MyTraffic/Aircraft/HeldBackup", std::nullopt);
    held.backup = kJet;
    held.backupHeldOpen = true;
    tree.add("/sim/SimObjects/Airplanes/Player", kJet).panel = true;
    tree.add("/sim/SimObjects/Airplanes/Textures", std::nullopt);
    return tree;
}

// The tree above on a fresh fake, and a run over it.
class ScanFaults : public ::testing::Test {
protected:
    static void build(FakeFileSystem& fs) {
        static const FaultCheck check(faultTree());
        check.build(fs);
    }

    static ScanTotals run(FileSystem& fs) {
        PatchOptions options;
        options.simulatorPath = "/sim";
        return AircraftScan(options, fs);
    }
};

class FaultKinds : public ::testing::TestWithParam<std::tuple<FaultAction, FakeFault>> {};

// Each operation in turn fails with one of the errors a real disk gives, and the power goes at
// each: the promises of FaultCheck::failAt.
TEST_P(FaultKinds, EveryFailingOperationKeepsTheTreeSoundAndARerunFinishes) {
    const auto& [action, fault] = GetParam();
    TreeSpec tree = faultTree();
    tree.action = action;
    const FaultCheck check(tree);
    if (action == FaultAction::run) {
        EXPECT_EQ(summaryText(check.totals()), summaryText({6, 0, 5, 5}));
    }
    ASSERT_GT(check.operations(), 30u);
    EXPECT_EQ(check.failAtEach(fault), "");
}

std::string faultKindRowName(const ::testing::TestParamInfo<FaultKinds::ParamType>& info) {
    static constexpr std::array<const char*, 3> kActions = {"Run", "Restore", "Forced"};
    static constexpr std::array<const char*, 4> kFaults = {"NoSpace", "PermissionDenied", "InUse",
                                                           "NameTaken"};
    const auto& [action, fault] = info.param;
    return std::string(kActions[static_cast<std::size_t>(action)]) +
           kFaults[static_cast<std::size_t>(fault)];
}

INSTANTIATE_TEST_SUITE_P(
    DiskErrors, FaultKinds,
    ::testing::Combine(::testing::Values(FaultAction::run, FaultAction::restore,
                                         FaultAction::forceRestore),
                       ::testing::Values(FakeFault::NoSpace, FakeFault::PermissionDenied,
                                         FakeFault::InUse, FakeFault::NameTaken)),
    faultKindRowName);

// A link to a file outside the tree, planted under each name the program makes or takes for
// its own, in a folder that needs a backup and in one edited after the run (for a restore):
// a fault at every operation of a run, a restore and a forced restore. The file behind the link
// keeps its bytes throughout and no aircraft.cfg takes them (see FaultCheck::failAt).
class PlantedLinks
    : public ::testing::TestWithParam<std::tuple<std::string, FaultAction, FakeFault>> {};

TEST_P(PlantedLinks, NothingIsWrittenThroughThemAndNoStrangersFileIsTakenForOurs) {
    const auto& [link, action, fault] = GetParam();
    // Where names are asked for one by one (Windows), a link is found by asking, and only when
    // the folder is about to be written.
    for (const bool findsAnyCase : {false, true}) {
        SCOPED_TRACE(findsAnyCase ? "names asked for" : "names listed");
        TreeSpec tree;
        tree.action = action;
        tree.findsAnyCase = findsAnyCase;
        tree.add("/sim/SimObjects/Airplanes/Jet", kJet).link = link;
        FolderSpec& edited = tree.add("/sim/SimObjects/Airplanes/Edited", kJet);
        edited.link = link;
        edited.editAfterRun = "[fltsim.1]\r\ntitle=Livery\r\n";
        tree.add("/sim/MyTraffic/Aircraft/Prop", kTurboprop).link = link;
        const FaultCheck check(tree);
        ASSERT_GT(check.operations(), 10u);
        EXPECT_EQ(check.failAtEach(fault), "");
    }
}

std::string plantedLinkRowName(const ::testing::TestParamInfo<PlantedLinks::ParamType>& info) {
    static constexpr std::array<const char*, 3> kActions = {"Run", "Restore", "Forced"};
    const auto& [link, action, fault] = info.param;
    std::string name = std::string(kActions[static_cast<std::size_t>(action)]) +
                       (fault == FakeFault::NoSpace ? "NoSpace_" : "NameTaken_") + link;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    EveryName, PlantedLinks,
    ::testing::Combine(::testing::ValuesIn(kPlantedLinkNames),
                       ::testing::Values(FaultAction::run, FaultAction::restore,
                                         FaultAction::forceRestore),
                       ::testing::Values(FakeFault::NoSpace, FakeFault::NameTaken)),
    plantedLinkRowName);

TEST_F(ScanFaults, HeldOpenAircraftFileIsSkippedAndNotCounted) {
    FakeFileSystem fs;
    build(fs);
    fs.setHeldOpen("/sim/SimObjects/Airplanes/Jet/aircraft.cfg", true);
    const ScanTotals totals = run(fs);
    EXPECT_EQ(totals.aiAircraft, 5);
    EXPECT_EQ(fs.content("/sim/SimObjects/Airplanes/Jet/aircraft.cfg"), kJet);
    EXPECT_FALSE(fs.exists("/sim/SimObjects/Airplanes/Jet/without_contrails_aircraft.cfg"));
}

// Whether its file needs the rewrite (Jet) or is patched already (Done), a folder nothing can
// be created in is not counted.
TEST_F(ScanFaults, ReadOnlyFolderIsLeftAloneAndTheRunGoesOn) {
    for (const std::string folder :
         {"/sim/SimObjects/Airplanes/Jet", "/sim/SimObjects/Airplanes/Done"}) {
        FakeFileSystem fs;
        build(fs);
        const auto before = fs.content(folder + "/aircraft.cfg");
        fs.setReadOnly(folder, true);
        OverlayFileSystem dryRun(fs);
        const ScanTotals predicted = run(dryRun);
        const ScanTotals totals = run(fs);
        EXPECT_EQ(summaryText(predicted), summaryText(totals)) << folder;
        EXPECT_EQ(totals.aiAircraft, 5) << folder;
        EXPECT_EQ(fs.content(folder + "/aircraft.cfg"), before) << folder;
        EXPECT_EQ(fs.content("/sim/MyTraffic/Aircraft/Prop/aircraft.cfg"), patched(kTurboprop))
            << folder;
    }
}

TEST_F(ScanFaults, BackupHeldOpenEndsTheRunWithTheOldFileInPlace) {
    FakeFileSystem fs;
    fs.addFile("/sim/SimObjects/Airplanes/Jet/aircraft.cfg", kJet);
    fs.addFile("/sim/SimObjects/Airplanes/Jet/without_contrails_aircraft.cfg", "older");
    fs.setHeldOpen("/sim/SimObjects/Airplanes/Jet/without_contrails_aircraft.cfg", true);
    try {
        run(fs);
        FAIL() << "the run went on over a backup it could not open";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), "/sim/SimObjects/Airplanes/Jet/without_contrails_aircraft.cfg");
    }
    EXPECT_EQ(fs.filesBelow("/sim/SimObjects/Airplanes/Jet"),
              (std::map<std::string, std::string>{{"aircraft.cfg", kJet},
                                                  {"without_contrails_aircraft.cfg", "older"}}));
}

TEST_F(ScanFaults, FolderThatCannotBeEnteredIsSkipped) {
    FakeFileSystem probe;
    build(probe);
    run(probe);
    const auto& log = probe.log();
    const auto listing = std::find(log.begin(), log.end(), "list /sim/SimObjects/Airplanes/Jet");
    ASSERT_NE(listing, log.end());

    FakeFileSystem fs;
    build(fs);
    fs.failOperation(static_cast<std::size_t>(listing - log.begin()) + 1);
    const ScanTotals totals = run(fs);
    EXPECT_EQ(totals.aiAircraft, 5);
    EXPECT_EQ(fs.content("/sim/SimObjects/Airplanes/Jet/aircraft.cfg"), kJet);
    EXPECT_EQ(fs.content("/sim/MyTraffic/Aircraft/Prop/aircraft.cfg"), patched(kTurboprop));
}

// The folders fsx.cfg lists, in one tree: a listed folder, the same again in another letter
// case, a fixed folder reached through "..", one listed twice with a trailing separator, a
// missing one and one outside the simulator folder given by its absolute path.
TreeSpec listedTree() {
    const std::string helo =
        "[GeneralEngineData]\r\nengine_type=3\r\n[effects]\r\nwake=fx_wake\r\n[end]\r\n";
    TreeSpec tree;
    tree.options.engineHeloTurbine = 1;
    tree.options.simObjectPaths = {
        "SimObjects\\Rotorcraft", "simobjects\\ROTORCRAFT", "SimObjects\\Rotorcraft\\..\\Airplanes",
        "SimObjects\\Boats",      "/ai/Aircraft",           "MyTraffic\\Aircraft\\"};
    tree.add("/sim/SimObjects/Airplanes/Jet", kJet);
    tree.add("/sim/SimObjects/Rotorcraft/Helo", helo);
    tree.add("/sim/MyTraffic/Aircraft/Prop", kTurboprop);
    tree.add("/ai/Aircraft/Done", patched(kTurboprop)).backup = kTurboprop;
    return tree;
}

// Also where names are found in any case (Windows): there both spellings of a folder open it,
// so only folding the case of what was found keeps it from being walked twice.
TEST(ListedFolders, FoundOnceEachWithTheMissingOnesNamed) {
    for (const bool findsAnyCase : {false, true}) {
        SCOPED_TRACE(findsAnyCase ? "names found in any case" : "names told apart by case");
        TreeSpec tree = listedTree();
        tree.findsAnyCase = findsAnyCase;
        FaultCheck check(tree);
        FakeFileSystem fs;
        check.build(fs);
        PatchOptions options = tree.options;
        options.simulatorPath = "/sim";
        // A path with a drive letter is absolute, never below the simulator folder.
        options.simObjectPaths.push_back("D:\\AI");
        fs.addFolder(fs.absolutePath("D:\\AI"));
        const AircraftRoots roots = findAircraftRoots(options, fs);
        EXPECT_EQ(roots.folders,
                  (std::vector<std::string>{"/sim/SimObjects/Airplanes", "/sim/MyTraffic/Aircraft",
                                            "/sim/SimObjects/Rotorcraft", "/ai/Aircraft",
                                            fs.absolutePath("D:\\AI")}));
        EXPECT_EQ(roots.missing, std::vector<std::string>{"/sim/SimObjects/Boats"});
        EXPECT_EQ(roots.lookedFor.size(), 9u);
    }
}

// Each folder counts once in the totals however often it is reached, and a fault at any
// operation, the finding of the folders included, leaves every file whole; on either kind of
// disk.
TEST(ListedFolders, TreatedOnceAndSoundUnderAFaultAtEveryOperation) {
    for (const bool findsAnyCase : {false, true}) {
        SCOPED_TRACE(findsAnyCase ? "names found in any case" : "names told apart by case");
        TreeSpec tree = listedTree();
        tree.findsAnyCase = findsAnyCase;
        const FaultCheck check(tree);
        EXPECT_EQ(summaryText(check.totals()), summaryText({4, 0, 3, 3}));
        for (const FakeFault fault : {FakeFault::NoSpace, FakeFault::PermissionDenied,
                                      FakeFault::InUse, FakeFault::NameTaken}) {
            EXPECT_EQ(check.failAtEach(fault), "");
        }
    }
}

// A restore walks the roots a run walked, the listed ones included: after a run and a restore
// every file is back as it was, and a fault at any operation of the restore keeps its promises.
TEST(ListedFolders, RestoreGivesBackEveryListedFolderAndIsSoundUnderFaults) {
    const TreeSpec tree = listedTree();
    FakeFileSystem fs;
    FaultCheck(tree).build(fs);
    const std::map<std::string, std::string> before = fs.filesBelow("/");
    PatchOptions options = tree.options;
    options.simulatorPath = "/sim";
    AircraftScan(options, fs);
    ASSERT_NE(fs.filesBelow("/"), before);
    RestoreOptions restore;
    restore.simulatorPath = "/sim";
    restore.simObjectPaths = tree.options.simObjectPaths;
    const RestoreTotals totals = RestoreOriginals(restore, fs);
    EXPECT_EQ(totals.aiRestored, 4);
    EXPECT_EQ(totals.leftAlone, 0);
    std::map<std::string, std::string> expected = before;
    // That folder's aircraft.cfg was already patched; its backup was the original.
    expected.erase("ai/Aircraft/Done/without_contrails_aircraft.cfg");
    expected["ai/Aircraft/Done/aircraft.cfg"] = kTurboprop;
    EXPECT_EQ(fs.filesBelow("/"), expected);

    for (const FaultAction action : {FaultAction::restore, FaultAction::forceRestore}) {
        TreeSpec restoreTree = tree;
        restoreTree.action = action;
        const FaultCheck check(restoreTree);
        for (const FakeFault fault : {FakeFault::NoSpace, FakeFault::InUse}) {
            EXPECT_EQ(check.failAtEach(fault), "");
        }
    }
}

// Files saved in other encodings: each is rewritten in its own, UTF-16 that would not read back
// exactly is left alone and named (by a dry run the same), a second run changes nothing, and a
// restore gives every original back; a fault at every operation of a run and of a restore
// keeps the fault check's promises.
TEST(Encodings, RewrittenInTheirOwnOrLeftAloneAndNamedAndRestored) {
    const std::string brokenLittle = inEncoding(kJet, TextEncoding::utf16Little) + "\x3D\xD8";
    TreeSpec tree;
    const std::string air = "/sim/SimObjects/Airplanes/";
    tree.add(air + "Little", inEncoding(kJet, TextEncoding::utf16Little));
    tree.add(air + "Big", inEncoding(kJet, TextEncoding::utf16Big));
    tree.add(air + "Marked", inEncoding(kJet, TextEncoding::utf8Marked));
    tree.add(air + "LoneSurrogate", brokenLittle);
    tree.add(air + "OddLength", inEncoding(kJet, TextEncoding::utf16Big) + "x");
    const FaultCheck check(tree);
    EXPECT_EQ(summaryText(check.totals()), summaryText({3, 0, 3, 3}));
    EXPECT_EQ(check.failAtEach(FakeFault::NoSpace), "");

    FakeFileSystem fs;
    check.build(fs);
    const auto before = fs.filesBelow("/");
    PatchOptions options;
    options.simulatorPath = "/sim";
    for (const bool dryRun : {true, false}) {
        std::map<std::string, std::string> named;
        OverlayFileSystem overlay(fs);
        AircraftScan(options, dryRun ? static_cast<FileSystem&>(overlay) : fs,
                     [&](const FolderReport& report) {
                         if (!report.leftAlone.empty()) {
                             named[report.folder] = report.leftAlone;
                         }
                     });
        EXPECT_EQ(
            named,
            (std::map<std::string, std::string>{
                {"/sim/SimObjects/Airplanes/LoneSurrogate",
                 "aircraft.cfg is marked as UTF-16 but holds a lone surrogate at "
                 "byte " +
                     std::to_string(brokenLittle.size() - 2) + ", which a rewrite would change"},
                {"/sim/SimObjects/Airplanes/OddLength",
                 "aircraft.cfg is marked as UTF-16 but holds an odd number of bytes, "
                 "which a rewrite would change"}}))
            << (dryRun ? "dry run" : "run");
    }
    const auto afterRun = fs.filesBelow("/");
    EXPECT_EQ(afterRun.at("sim/SimObjects/Airplanes/Big/aircraft.cfg"),
              patched(inEncoding(kJet, TextEncoding::utf16Big)));
    AircraftScan(options, fs);
    EXPECT_EQ(fs.filesBelow("/"), afterRun) << "a second run changed something";

    RestoreOptions restore;
    restore.simulatorPath = "/sim";
    const RestoreTotals totals = RestoreOriginals(restore, fs);
    EXPECT_EQ(restoreSummaryText(totals), restoreSummaryText({3, 0, 0, 2}));
    EXPECT_EQ(fs.filesBelow("/"), before);

    TreeSpec restoreTree = tree;
    restoreTree.action = FaultAction::restore;
    const FaultCheck restoreCheck(restoreTree);
    EXPECT_EQ(restoreCheck.failAtEach(FakeFault::NoSpace), "");
}

// An aircraft folder that fsx.cfg lists inside a fixed folder is reached twice in one batch (as
// a folder of that root, and as its own root's "."): the second visit finds the batch's files of
// the first, which go in place before it looks, so it finds the patched file and changes nothing.
// The same where the names are asked for one by one (Windows) rather than listed.
TEST(ListedFolders, FolderReachedTwiceInOneBatchIsFinishedBeforeItsSecondVisit) {
    for (const bool findsAnyCase : {false, true}) {
        SCOPED_TRACE(findsAnyCase ? "names asked for" : "names listed");
        TreeSpec tree;
        tree.options.simObjectPaths = {"SimObjects\\Airplanes\\Jet"};
        tree.findsAnyCase = findsAnyCase;
        tree.add("/sim/SimObjects/Airplanes/Jet", kJet);
        const FaultCheck check(tree);
        EXPECT_EQ(summaryText(check.totals()), summaryText({2, 0, 1, 1}));
        EXPECT_EQ(check.failAtEach(FakeFault::NoSpace), "");
    }
}

// More folders than a batch holds. A clean run flushes every file of a batch before it renames
// any, never has half-made files in more folders than a batch holds, and reports every folder
// in the order it was reached; a fault at the edges of a batch keeps the fault check's promises.
TEST(Batches, FlushedBeforeRenamedBoundedAndSoundUnderFaultsAtTheirEdges) {
    const std::size_t count = kPublishBatch.folders + 6;
    TreeSpec tree;
    for (std::size_t i = 0; i < count; ++i) {
        tree.add("/sim/SimObjects/Airplanes/J" + std::to_string(1000 + i), kJet);
    }
    const FaultCheck check(tree);
    FakeFileSystem fs;
    check.build(fs);
    std::set<std::string> unflushed;  // written, and not yet closed
    std::size_t mostHalfMadeFolders = 0;
    fs.setAfterEachOperation([&] {
        const std::string& entry = fs.log().back();
        const std::string path = operationPath(entry);
        if (entry.starts_with("create ")) {
            unflushed.insert(path);
        } else if (entry.starts_with("close ")) {
            unflushed.erase(path);
        } else if (entry.starts_with("rename ") || entry.starts_with("replace ")) {
            EXPECT_EQ(unflushed, std::set<std::string>{}) << "before " << entry;
        }
        std::set<std::string> halfMade;
        for (const auto& [file, bytes] : fs.filesBelow("/sim")) {
            if (isHalfMade(file)) {
                halfMade.insert(file.substr(0, file.rfind('/')));
            }
        }
        mostHalfMadeFolders = std::max(mostHalfMadeFolders, halfMade.size());
    });
    std::vector<std::string> reported;
    PatchOptions options;
    options.simulatorPath = "/sim";
    const ScanTotals totals = AircraftScan(options, fs, [&](const FolderReport& report) {
        if (report.treated) {
            reported.push_back(report.folder);
        }
    });
    EXPECT_EQ(totals.aiAircraft, static_cast<int>(count));
    EXPECT_EQ(mostHalfMadeFolders, kPublishBatch.folders);
    std::vector<std::string> expected;
    for (const FolderSpec& folder : tree.folders) {
        expected.push_back(folder.path);
    }
    EXPECT_EQ(reported, expected);

    // A flush or a rename failing in the first folder of a batch, a write, flush or rename in
    // its last, and the last rename of the run.
    const std::string first = tree.folders.front().path + "/";
    const std::string last = tree.folders[kPublishBatch.folders - 1].path + "/";
    const std::string end = tree.folders.back().path + "/";
    for (std::size_t n = 1; n <= fs.log().size(); ++n) {
        const std::string& entry = fs.log()[n - 1];
        auto is = [&](const char* verb, const std::string& folder) {
            return entry.starts_with(verb) && entry.find(folder) != std::string::npos;
        };
        if (is("close ", first) || is("rename ", first) || is("write ", last) ||
            is("close ", last) || is("replace ", last) || is("replace ", end)) {
            EXPECT_EQ(check.failAt(n, FakeFault::NoSpace), "") << entry << " fails";
        }
    }
}

}  // namespace
}  // namespace cirrowisp
