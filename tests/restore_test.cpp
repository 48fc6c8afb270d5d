// Restore: its comparison of a backup with the current file, row by row; a tree before a run,
// after it and after a restore, on the real disk; and the command line's --restore.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_options.h"
#include "patcher/aircraft_scan.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/line_io.h"
#include "patcher/restore_scan.h"
#include "platform/host_file_system.h"
#include "tests/support/cli_run.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/host_tree_test.h"
#include "tests/support/named_rows.h"
#include "tests/support/samples.h"
#include "tests/support/temp_tree.h"

namespace cirrowisp {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::TempTree;

// ---- the comparison -----------------------------------------------------------------------

struct EditRow {
    const char* name;
    std::string original;
    std::string current;
    std::size_t line;  // 0: nothing but what a run changes
};

class EditedLine : public ::testing::TestWithParam<EditRow> {};

TEST_P(EditedLine, IsFoundPastWhatARunChanges) {
    EXPECT_EQ(firstEditedLineOfText(GetParam().original, GetParam().current), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Restore, EditedLine,
    ::testing::Values(
        EditRow{"Identical", "a=1\r\nb=2\r\n", "a=1\r\nb=2\r\n", 0},
        EditRow{"LineEnds", "a=1\nb=2\n", "a=1\r\nb=2\r\n", 0},
        EditRow{"LastLineWithoutLineEnd", "a=1\r\nb=2", "a=1\r\nb=2\r\n", 0},
        EditRow{"EmptyLines", "\r\n[a]\r\n\r\n\r\nx=1\r\n", "[a]\r\nx=1\r\n\r\n", 0},
        EditRow{"EmptyAgainstOnlyEmptyLines", "", "\r\n\r\n", 0},
        EditRow{"ContrailLineAdded", "[effects]\r\nwake=fx\r\n",
                "[effects]\r\nwake=fx\r\ncontrail=fx_Cirrowisp\r\n", 0},
        EditRow{"ContrailLineRemovedOrRenamed", "[effects]\r\ncontrail=fx_old\r\nwake=fx\r\n",
                "[effects]\r\nwake=fx\r\nCONTRAIL=fx_Cirrowisp\r\n", 0},
        EditRow{"TemperatureLineChanged", "[g]\r\nmax_contrail_temperature=-10\r\n",
                "[g]\r\nMax_Contrail_Temperature=-27\r\n", 0},
        EditRow{"TailAfterCtrlZ", "a=1\r\n\x1a tail", "a=1\r\n", 0},
        EditRow{"ValueChanged", "[g]\r\nengine_type=1\r\n", "[g]\r\nengine_type=5\r\n", 2},
        EditRow{"LiveryAdded", "[fltsim.0]\r\ntitle=A\r\n",
                "[fltsim.0]\r\ntitle=A\r\n\r\n[fltsim.1]\r\ntitle=B\r\n", 4},
        EditRow{"LineRemoved", "a=1\r\nb=2\r\nc=3\r\n", "a=1\r\nc=3\r\n", 2},
        EditRow{"LastLineRemoved", "a=1\r\nb=2\r\n", "a=1\r\n\r\n", 3},
        EditRow{"LinesSwapped", "a=1\r\nb=2\r\n", "b=2\r\na=1\r\n", 1},
        EditRow{"BlanksAreNotAnEmptyLine", "a=1\r\n", "a=1\r\n  \r\n", 2},
        EditRow{"StrayCrIsPartOfTheLine", "a=1\r\n", "a=1\r\r\n", 1},
        EditRow{"HeaderHoldingAKeyIsAHeader", "[a]\r\n", "[a]\r\n[contrail=x]\r\n", 2},
        EditRow{"TextAfterCtrlZCountsInNeither", "a=1\r\n",
                "a=1\r\n\x1a"
                "b=2\r\n",
                0},
        // Found by the fuzzer: a run of a plain file whose first line goes begins with FF FE.
        EditRow{"PlainFileWhoseRunBeginsWithAUtf16Mark", "\r\n\xff\xfe=1\r\n",
                "\xff\xfe=1\r\n", 0},
        // Each file is read in its own encoding, as the run read it.
        EditRow{"Utf16AgainstItsRun", inEncoding(kJet, TextEncoding::utf16Little),
                patched(inEncoding(kJet, TextEncoding::utf16Little)), 0},
        EditRow{"Utf16ValueChanged", inEncoding("a=1\r\nb=2\r\n", TextEncoding::utf16Big),
                inEncoding("a=1\r\nb=3\r\n", TextEncoding::utf16Big), 2},
        EditRow{"Utf8MarkBeforeAHeaderAgainstItsRun", inEncoding(kJet, TextEncoding::utf8Marked),
                patched(inEncoding(kJet, TextEncoding::utf8Marked)), 0}),
    RowName{});

// ---- trees on the disk ----------------------------------------------------------------------

const std::string kTestJet = sampleAircraft("Test Jet", 1);
const std::string kPiston =
    "[fltsim.0]\r\ntitle=Test Piston\r\n[GeneralEngineData]\r\nengine_type=0\r\n"
    "max_contrail_temperature=-10\r\n[effects]\r\ncontrail=fx_old\r\n";
const std::string kTurboprop =
    "[GeneralEngineData]\r\nengine_type=5\r\n[effects]\r\nwater=fx_spray\r\n\x1a old tail";
const std::string kLivery = "\r\n[fltsim.1]\r\ntitle=Test Jet, the pilot's livery\r\n";

using Files = std::map<std::string, std::string>;

// The files of `files` below `folder`.
Files below(const Files& files, const std::string& folder) {
    Files result;
    for (const auto& [path, bytes] : files) {
        if (path.rfind(folder + "/", 0) == 0) {
            result[path] = bytes;
        }
    }
    return result;
}

class RestoreTree : public testing::HostTreeTest {
protected:
    RestoreTotals restore(bool flyable = false, bool force = false) {
        RestoreOptions options;
        options.simulatorPath = tree.path();
        options.includeFlyable = flyable;
        options.force = force;
        reports.clear();
        return RestoreOriginals(options, *fs,
                                [this](const RestoreReport& report) { reports.push_back(report); });
    }

    const RestoreReport* report(const std::string& folderName) const {
        for (const RestoreReport& r : reports) {
            if (std::filesystem::path(r.folder).filename() == folderName) {
                return &r;
            }
        }
        return nullptr;
    }

    std::vector<RestoreReport> reports;
};

void expectTotals(const RestoreTotals& got, const RestoreTotals& wanted) {
    EXPECT_EQ(restoreSummaryText(got), restoreSummaryText(wanted));
}

TEST(RestoreSummaryText, ThreeLinesOnThePatternOfARun) {
    EXPECT_EQ(restoreSummaryText({7, 2, 1, 3}),
              "Restored the original files of 7 AI and 2 flyable aircraft.\n"
              "Left 1 aircraft alone: edited since the run, or in use.\n"
              "Found no backup for 3 aircraft.");
}

// The tree before a run, after it and after a restore: the restore gives back the tree before
// the run byte for byte, except the folder edited since, which stays and is named.
TEST_F(RestoreTree, GivesBackTheTreeBeforeTheRunExceptEditedFolders) {
    const std::string air = "SimObjects/Airplanes/";
    tree.write(air + "Jet/aircraft.cfg", kTestJet);
    tree.write(air + "Piston/aircraft.cfg", kPiston);
    tree.write("MyTraffic/Aircraft/Prop/Aircraft.CFG", kTurboprop);
    tree.write(air + "Livery/aircraft.cfg", kTestJet);
    tree.write(air + "Player/aircraft.cfg", kTestJet);
    tree.folder(air + "Player/panel");
    tree.write(air + "Textures/readme.txt", "textures only\r\n");
    tree.write(air + "Old.Jet/aircraft.cfg", kTestJet);
    const Files beforeRun = tree.files();

    EXPECT_EQ(summaryText(run()), summaryText({4, 0, 2, 3}));
    tree.write(air + "Livery/aircraft.cfg", tree.read(air + "Livery/aircraft.cfg") + kLivery);
    const Files afterRun = tree.files();
    ASSERT_NE(below(afterRun, air + "Jet"), below(beforeRun, air + "Jet"));

    expectTotals(restore(), {3, 0, 1, 0});
    Files expected = beforeRun;
    for (const auto& [path, bytes] : below(beforeRun, air + "Livery")) {
        expected.erase(path);
    }
    for (const auto& [path, bytes] : below(afterRun, air + "Livery")) {
        expected[path] = bytes;
    }
    EXPECT_EQ(tree.files(), expected);
    const RestoreReport* livery = report("Livery");
    ASSERT_NE(livery, nullptr);
    EXPECT_EQ(livery->outcome, RestoreReport::Outcome::leftAlone);
    EXPECT_TRUE(livery->edited);
    EXPECT_EQ(livery->reason,
              "edited since the run: line 16 of aircraft.cfg differs from the backup");
    EXPECT_EQ(report("Player")->outcome, RestoreReport::Outcome::skipped);
    EXPECT_EQ(report("Textures")->outcome, RestoreReport::Outcome::skipped);
    EXPECT_EQ(report("Old.Jet"), nullptr);  // never visited, as by a run

    // Forced, the edited folder gets its first version back too; the pilot's file is kept.
    expectTotals(restore(false, true), {1, 0, 0, 3});
    EXPECT_TRUE(report("Livery")->keptCurrent);
    expected = beforeRun;
    expected[air + "Livery/aircraft_before_restore.cfg"] = afterRun.at(air + "Livery/aircraft.cfg");
    EXPECT_EQ(tree.files(), expected);

    // Nothing more to restore.
    expectTotals(restore(false, true), {0, 0, 0, 4});
    EXPECT_EQ(tree.files(), expected);
}

TEST_F(RestoreTree, FlyableAircraftFollowTheChoiceAsInARun) {
    tree.write("SimObjects/Airplanes/Player/aircraft.cfg", kTestJet);
    tree.folder("SimObjects/Airplanes/Player/panel");
    const Files beforeRun = tree.files();
    run(true);
    const Files afterRun = tree.files();
    expectTotals(restore(false), {0, 0, 0, 0});
    EXPECT_EQ(tree.files(), afterRun);
    expectTotals(restore(true), {0, 1, 0, 0});
    EXPECT_EQ(tree.files(), beforeRun);
}

TEST_F(RestoreTree, RestoreStoppedBeforeRemovingTheBackupIsFinished) {
    // aircraft.cfg holds the backup's bytes already: a restore was stopped right there.
    tree.write("SimObjects/Airplanes/Jet/aircraft.cfg", kTurboprop);
    tree.write("SimObjects/Airplanes/Jet/without_contrails_aircraft.cfg", kTurboprop);
    expectTotals(restore(), {1, 0, 0, 0});
    EXPECT_EQ(tree.files(), (Files{{"SimObjects/Airplanes/Jet/aircraft.cfg", kTurboprop}}));
}

TEST_F(RestoreTree, BackupWithoutAircraftCfgIsLeftAloneUnlessForced) {
    tree.write("SimObjects/Airplanes/Jet/without_contrails_aircraft.cfg", kTestJet);
    const Files before = tree.files();
    expectTotals(restore(), {0, 0, 1, 0});
    EXPECT_EQ(report("Jet")->reason, "no aircraft.cfg beside the backup");
    EXPECT_EQ(tree.files(), before);
    expectTotals(restore(false, true), {1, 0, 0, 0});
    EXPECT_EQ(tree.files(), (Files{{"SimObjects/Airplanes/Jet/aircraft.cfg", kTestJet}}));
}

TEST_F(RestoreTree, ForcedRestoreNeverOverwritesAnotherKeptFile) {
    const std::string folder = "SimObjects/Airplanes/Jet/";
    tree.write(folder + "aircraft.cfg", kTestJet);
    run();
    const std::string edited = tree.read(folder + "aircraft.cfg") + kLivery;
    tree.write(folder + "aircraft.cfg", edited);

    // A kept file with other bytes is not ours to overwrite.
    tree.write(folder + "aircraft_before_restore.cfg", "kept long ago\r\n");
    const Files before = tree.files();
    expectTotals(restore(false, true), {0, 0, 1, 0});
    EXPECT_EQ(report("Jet")->reason,
              "aircraft_before_restore.cfg exists already and holds other bytes");
    EXPECT_EQ(tree.files(), before);

    // One holding these very bytes was kept by a forced restore that was stopped: it goes on.
    tree.write(folder + "aircraft_before_restore.cfg", edited);
    expectTotals(restore(false, true), {1, 0, 0, 0});
    EXPECT_EQ(tree.files(), (Files{{folder + "aircraft.cfg", kTestJet},
                                   {folder + "aircraft_before_restore.cfg", edited}}));
}

// A folder left alone for a reason other than an edit counts as left alone too, which gives
// --restore its exit status 3: its aircraft.cfg held open, or (forced) nothing can be created.
TEST(RestoreLeftAlone, ForAnyReasonIsCountedAndNamed) {
    const std::string folder = "/sim/SimObjects/Airplanes/Jet";
    for (const bool forced : {false, true}) {
        FakeFileSystem fs;
        fs.addFile(folder + "/aircraft.cfg", patched(kTestJet) + (forced ? kLivery : ""));
        fs.addFile(folder + "/without_contrails_aircraft.cfg", kTestJet);
        fs.setHeldOpen(folder + "/aircraft.cfg", !forced);
        fs.setReadOnly(folder, forced);
        const auto before = fs.filesBelow("/sim");
        RestoreOptions options;
        options.simulatorPath = "/sim";
        options.force = forced;
        std::string reasons;
        const RestoreTotals totals =
            RestoreOriginals(options, fs, [&](const RestoreReport& r) { reasons += r.reason; });
        EXPECT_EQ(restoreSummaryText(totals), restoreSummaryText({0, 0, 1, 0}));
        EXPECT_THAT(reasons, HasSubstr(forced ? "nothing can be created" : "cannot be opened"));
        EXPECT_EQ(fs.filesBelow("/sim"), before);
    }
}

// ---- the command line -----------------------------------------------------------------------

class RestoreCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(sampleTree())) {
            GTEST_SKIP() << "no sample tree at " << sampleTree();
        }
        for (TempTree* copy : {&sample, &tree}) {
            copy->copyFrom(sampleTree(), "sim");
            copy->copyFrom(sampleTree().parent_path() / "ai-outside", "ai-outside");
        }
    }
    TempTree sample;
    TempTree tree;
};

// The sample tree's Gull_B757 was patched by an earlier run and given a livery since: a restore
// leaves it as it is, so the whole tree comes back byte for byte.
TEST_F(RestoreCommand, RunThenRestoreGivesBackTheSampleTree) {
    ASSERT_EQ(cli({tree.path("sim")}).status, kExitOk);
    ASSERT_NE(tree.files(), sample.files());

    const Outcome restore = cli({"--restore", tree.path("sim")});
    EXPECT_EQ(restore.status, kExitLeftAlone);
    EXPECT_EQ(restore.out, restoreSummaryText({9, 0, 1, 0}) + "\n");
    EXPECT_THAT(restore.err, HasSubstr("Gull_B757: AI, left alone, edited since the run: line 15 "
                                       "of aircraft.cfg differs from the backup\n"));
    EXPECT_THAT(restore.err, HasSubstr("--force"));
    EXPECT_EQ(tree.files(), sample.files());

    const Outcome forced = cli({"--restore", "--force", "--verbose", tree.path("sim")});
    EXPECT_EQ(forced.status, kExitOk) << forced.err;
    EXPECT_EQ(forced.out, restoreSummaryText({1, 0, 0, 9}) + "\n");
    EXPECT_THAT(forced.err, HasSubstr("Gull_B757: AI, restored, the edited file kept as "
                                      "aircraft_before_restore.cfg\n"));
    const std::string gull = "sim/SimObjects/Airplanes/Gull_B757/";
    EXPECT_EQ(tree.read(gull + "aircraft.cfg"),
              sample.read(gull + "without_contrails_aircraft.cfg"));
    EXPECT_EQ(tree.read(gull + "aircraft_before_restore.cfg"), sample.read(gull + "aircraft.cfg"));
    EXPECT_FALSE(tree.exists(gull + "without_contrails_aircraft.cfg"));
}

TEST_F(RestoreCommand, DryRunChangesNothingAndPredictsTheRealRestore) {
    ASSERT_EQ(cli({"--flyable", tree.path("sim")}).status, kExitOk);
    const auto afterRun = tree.files();
    const Outcome dry = cli({"--restore", "--dry-run", "--flyable", tree.path("sim")});
    EXPECT_EQ(tree.files(), afterRun);
    const Outcome real = cli({"--restore", "--flyable", tree.path("sim")});
    EXPECT_EQ(dry.status, real.status);
    EXPECT_EQ(dry.out, "Dry run: nothing was changed. A real restore would report:\n" + real.out);
    EXPECT_EQ(dry.err, real.err);
    EXPECT_EQ(real.out, restoreSummaryText({9, 1, 1, 0}) + "\n");
    EXPECT_EQ(tree.files(), sample.files());
}

TEST_F(RestoreCommand, FailureGivesFileAndReasonAndASecondRestoreFinishes) {
    ASSERT_EQ(cli({tree.path("sim")}).status, kExitOk);
    // A folder where the restored file is written first: the forced restore has kept the edited
    // file by then, so this is a failure, not a folder to leave alone.
    const std::string gull = "sim/SimObjects/Airplanes/Gull_B757/";
    tree.folder(gull + "new_aircraft.cfg");
    const std::string edited = tree.read(gull + "aircraft.cfg");
    const Outcome failed = cli({"--restore", "--force", tree.path("sim")});
    EXPECT_EQ(failed.status, kExitRunFailed);
    EXPECT_EQ(failed.out, "");
    EXPECT_THAT(failed.err, HasSubstr("new_aircraft.cfg: "));
    EXPECT_EQ(tree.read(gull + "aircraft.cfg"), edited);
    EXPECT_EQ(tree.read(gull + "aircraft_before_restore.cfg"), edited);
    EXPECT_TRUE(tree.exists(gull + "without_contrails_aircraft.cfg"));

    std::filesystem::remove(tree.root() / (gull + "new_aircraft.cfg"));
    const Outcome again = cli({"--restore", "--force", tree.path("sim")});
    EXPECT_EQ(again.status, kExitOk) << again.err;
    EXPECT_EQ(tree.read(gull + "aircraft.cfg"),
              sample.read(gull + "without_contrails_aircraft.cfg"));
    EXPECT_EQ(tree.read(gull + "aircraft_before_restore.cfg"), edited);
}

// The folders the sample's fsx.cfg lists (a helicopter, AI traffic beside the simulator folder)
// are restored when the restore is given the run's folder options, dry or real.
TEST_F(RestoreCommand, ListedFoldersComeBackWithTheRunsFolderOptions) {
    ASSERT_EQ(cli({"--fsx-cfg", tree.path("sim/fsx.cfg"), "--engines=jet,turboprop,helo-turbine",
                   tree.path("sim")})
                  .status,
              kExitOk);
    const std::string helo = "sim/SimObjects/Rotorcraft/Petrel_EC130/";
    const std::string outside = "ai-outside/Aircraft/Skua_B767/";
    ASSERT_TRUE(tree.exists(helo + "without_contrails_aircraft.cfg"));
    ASSERT_TRUE(tree.exists(outside + "without_contrails_aircraft.cfg"));
    const auto afterRun = tree.files();

    const Outcome dry = cli({"--restore", "--dry-run", "--simobject-paths", "--fsx-cfg",
                             tree.path("sim/fsx.cfg"), tree.path("sim")});
    EXPECT_EQ(tree.files(), afterRun);
    const Outcome real =
        cli({"--restore", "--fsx-cfg", tree.path("sim/fsx.cfg"), "--verbose", tree.path("sim")});
    EXPECT_EQ(real.status, kExitLeftAlone) << real.err;
    EXPECT_EQ(real.out, restoreSummaryText({11, 0, 1, 0}) + "\n");
    EXPECT_THAT(real.err, HasSubstr("Boats: listed in fsx.cfg, not there, passed over\n"));
    EXPECT_EQ(dry.status, real.status);
    EXPECT_EQ(dry.out, "Dry run: nothing was changed. A real restore would report:\n" + real.out);
    EXPECT_EQ(tree.files(), sample.files());
}

// The simulator folder and fsx.cfg are checked as for a run, before anything is touched.
TEST_F(RestoreCommand, FoldersAreCheckedAsForARun) {
    ASSERT_EQ(cli({tree.path("sim")}).status, kExitOk);
    const auto afterRun = tree.files();
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;  // a part of standard error
    };
    const std::string missing = tree.path("no-such-sim");
    const std::string noConfig = tree.path("sim/no-such.cfg");
    for (const Row& row :
         std::vector<Row>{{"missing simulator folder",
                           {"--restore", missing},
                           kExitUsage,
                           "the simulator folder '" + missing + "' does not exist"},
                          {"a file as simulator folder",
                           {"--restore", tree.path("sim/fsx.cfg")},
                           kExitUsage,
                           "does not exist or is not a folder"},
                          {"unreadable fsx.cfg",
                           {"--restore", "--fsx-cfg", noConfig, tree.path("sim")},
                           kExitUsage,
                           noConfig + ": "},
                          {"no aircraft folder",
                           {"--restore", tree.path("ai-outside")},
                           kExitOk,
                           "warning: none of the aircraft folders looked for exists"}}) {
        const Outcome outcome = cli(row.args);
        EXPECT_EQ(outcome.status, row.status) << row.name << ": " << outcome.err;
        EXPECT_THAT(outcome.err, HasSubstr(row.err)) << row.name;
        EXPECT_EQ(outcome.out.empty(), row.status == kExitUsage) << row.name;
        EXPECT_EQ(tree.files(), afterRun) << row.name;
    }
}

TEST(RestoreArguments, OptionsThatDoNotApplyAreRefused) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::string reason;
    };
    for (const Row& row : {Row{"force alone",
                               {"--force"},
                               refusalText(CliRefusal::needsRun, "--force", "--restore")},
                           Row{"engines",
                               {"--restore", "--engines=jet"},
                               refusalText(CliRefusal::doesNotApply, "--engines", "--restore")},
                           Row{"temperature",
                               {"--restore", "--temperature", "-20"},
                               refusalText(CliRefusal::doesNotApply, "--temperature", "--restore")},
                           Row{"effect",
                               {"--restore", "--effect", "fx"},
                               refusalText(CliRefusal::doesNotApply, "--effect", "--restore")},
                           Row{"filter",
                               {"--restore", "--filter"},
                               refusalText(CliRefusal::doesNotApply, "--filter", "--restore")},
                           Row{"restore with a value",
                               {"--restore=yes"},
                               refusalText(CliRefusal::takesNoValue, "--restore")}}) {
        const Outcome outcome = cli(row.args);
        EXPECT_EQ(outcome.status, kExitUsage) << row.name;
        EXPECT_THAT(outcome.err, StartsWith("cirrowisp-cli: " + row.reason + "\n")) << row.name;
    }
    const Outcome help = cli({"--help"});
    EXPECT_THAT(help.out, HasSubstr("--restore"));
    EXPECT_THAT(help.out, HasSubstr("--force"));
    EXPECT_THAT(help.out, HasSubstr("3 (--restore)"));
}

}  // namespace
}  // namespace cirrowisp
