#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "cirrowisp_version.h"
#include "cli/scan_command.h"
#include "patcher/aircraft_scan.h"
#include "patcher/line_io.h"
#include "platform/host_file_system.h"
#include "tests/support/cli_run.h"
#include "tests/support/named_rows.h"
#include "tests/support/samples.h"
#include "tests/support/temp_tree.h"

namespace cirrowisp {
namespace {

using testing::TempTree;

// Bytes and modification times of every file and folder: what "touches nothing" means.
TreeFiles snapshot(const TempTree& tree) {
    return tree.files({.folders = true, .times = true});
}

class ScanCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(sampleTree())) {
            GTEST_SKIP() << "no sample tree at " << sampleTree();
        }
        tree.copyFrom(sampleTree(), "sim");
        tree.copyFrom(sampleTree().parent_path() / "ai-outside", "ai-outside");
    }

    // The sample's own fsx.cfg, with Helo-Turbine ticked so that the helicopters get a contrail.
    std::vector<std::string> listed() const {
        return {"--fsx-cfg", tree.path("sim/fsx.cfg"), "--engines=jet,turboprop,helo-turbine"};
    }
    TempTree tree;
};

TEST_F(ScanCommand, DryRunTouchesNothingAndPredictsTheRealRun) {
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, std::vector<std::string>{"--flyable", "--engines=piston"},
          listed()}) {
        const auto before = snapshot(tree);
        std::vector<std::string> args = extra;
        args.push_back("--dry-run");
        args.push_back(tree.path("sim"));
        const Outcome dry = cli(args);
        EXPECT_EQ(dry.status, 0) << dry.err;
        EXPECT_EQ(snapshot(tree), before);

        args.erase(args.end() - 2);
        const Outcome real = cli(args);
        EXPECT_EQ(real.status, 0) << real.err;
        EXPECT_EQ(dry.out, "Dry run: nothing was changed. A real run would report:\n" + real.out);
        EXPECT_THAT(real.out, ::testing::StartsWith("Scanned "));
        EXPECT_NE(snapshot(tree), before);
    }
}

TEST_F(ScanCommand, VerboseNamesEachTreatedFolder) {
    const Outcome run = cli({"--verbose", tree.path("sim")});
    EXPECT_EQ(run.status, 0);
    const std::string sep(1, makeHostFileSystem()->separator());
    const std::string folder = std::filesystem::path(tree.path("sim")).string() + sep +
                               "MyTraffic" + sep + "Aircraft" + sep + "MT_CRJ700";
    EXPECT_THAT(run.err, ::testing::HasSubstr(folder + ": AI, contrail line added, temperature "
                                                       "line written, backup made\n"));
    EXPECT_THAT(run.err, ::testing::HasSubstr("Gull_B757: AI, unchanged\n"));
    EXPECT_THAT(run.err, ::testing::Not(::testing::HasSubstr("Falcon_F900")));
    EXPECT_THAT(run.err, ::testing::Not(::testing::HasSubstr("\r")));  // no progress line
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 10);
}

TEST_F(ScanCommand, FailureGivesFileAndReasonAndNoSummary) {
    // A folder under the backup's name: it cannot be opened, so the backup counts as absent,
    // and making it then finds the name taken. This works even for root, unlike permissions.
    const std::string jet = "sim/SimObjects/Airplanes/Cirro_A320/";
    tree.folder(jet + "without_contrails_aircraft.cfg");
    const std::string original = tree.read(jet + "aircraft.cfg");
    const Outcome run = cli({tree.path("sim")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, ::testing::HasSubstr("without_contrails_aircraft.cfg: "));
    EXPECT_EQ(tree.read(jet + "aircraft.cfg"), original);
    EXPECT_FALSE(tree.exists(jet + "new_aircraft.cfg"));
    EXPECT_FALSE(tree.exists(jet + "without_contrails_aircraft.tmp"));
}

// --version answers on its own, whatever else the line holds: it never starts a run.
TEST_F(ScanCommand, VersionNamesVersionAndLicenceAndRunsNothing) {
    const auto before = snapshot(tree);
    const std::vector<std::vector<std::string>> lines = {
        {"--version"},
        {tree.path("sim"), "--version"},
        {"--dry-run", "--version", "--no-such-option"},
    };
    for (const auto& args : lines) {
        SCOPED_TRACE(args.back());
        const Outcome run = cli(args);
        EXPECT_EQ(run.status, kExitOk);
        EXPECT_THAT(run.out, ::testing::StartsWith("cirrowisp-cli " CIRROWISP_VERSION "\n"));
        EXPECT_THAT(run.out, ::testing::HasSubstr("MIT licence"));
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(snapshot(tree), before);
}

TEST_F(ScanCommand, ListedFoldersAddTheHelicoptersAndTheOutsideTraffic) {
    std::vector<std::string> args = listed();
    args.insert(args.end(), {"--verbose", tree.path("sim")});
    const Outcome run = cli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string sep(1, makeHostFileSystem()->separator());
    const auto folder = [&](const std::string& path) {
        std::string host = tree.path(path);
        std::replace(host.begin(), host.end(), '/', sep[0]);
        return host;
    };
    EXPECT_THAT(run.err, ::testing::HasSubstr(folder("sim/SimObjects/Rotorcraft/Petrel_EC130") +
                                              ": AI, contrail line added"));
    EXPECT_THAT(run.err, ::testing::HasSubstr(folder("ai-outside/Aircraft/Skua_B767") +
                                              ": AI, contrail line added"));
    EXPECT_THAT(run.err, ::testing::HasSubstr(folder("sim/SimObjects/Boats") +
                                              ": listed in fsx.cfg, not there, passed over\n"));
    EXPECT_THAT(run.err,
                ::testing::HasSubstr("fsx.cfg at " + tree.path("sim/fsx.cfg") + ": 8 folders\n"));
    // Airplanes and MyTraffic are listed as well as fixed: each aircraft once.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 5 + 12);
    EXPECT_EQ(run.out, summaryText({12, 0, 9, 9}) + "\n");
}

TEST_F(ScanCommand, UnreadableFsxCfgIsAnErrorThatNamesItAndChangesNothing) {
    const auto before = snapshot(tree);
    for (const std::string& config : {tree.path("sim/no-such.cfg"), tree.path("sim")}) {
        const Outcome run = cli({"--fsx-cfg", config, tree.path("sim")});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_THAT(run.err, ::testing::HasSubstr(config + ": "));
    }
    EXPECT_EQ(snapshot(tree), before);
}

// --filter reads standard input in its own encoding, as a run reads a file.
struct FilterRow {
    const char* name;
    std::string input;
    std::string output;
    int status;
};

class FilterEncodings : public ::testing::TestWithParam<FilterRow> {};

TEST_P(FilterEncodings, WritesTheRewriteInTheInputsEncoding) {
    const FilterRow& row = GetParam();
    const Outcome outcome = cli({"--filter"}, row.input);
    EXPECT_EQ(outcome.status, row.status) << outcome.err;
    EXPECT_EQ(outcome.out, row.output);
}

const std::string kJet =
    "[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[end]\r\n";
const std::string kJetPatched =
    "\r\n[GeneralEngineData]\r\nengine_type=1\r\nmax_contrail_temperature=-27\r\n\r\n"
    "[effects]\r\nwake=fx_wake\r\ncontrail=fx_Cirrowisp\r\n\r\n[end]\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, FilterEncodings,
    ::testing::Values(FilterRow{"Plain", kJet, kJetPatched, kExitOk},
                      FilterRow{"Utf8MarkKeptAndNoPartOfTheFirstHeader",
                                inEncoding(kJet, TextEncoding::utf8Marked),
                                inEncoding(kJetPatched, TextEncoding::utf8Marked), kExitOk},
                      FilterRow{"Utf16LittleEndian", inEncoding(kJet, TextEncoding::utf16Little),
                                inEncoding(kJetPatched, TextEncoding::utf16Little), kExitOk},
                      FilterRow{"Utf16BigEndian", inEncoding(kJet, TextEncoding::utf16Big),
                                inEncoding(kJetPatched, TextEncoding::utf16Big), kExitOk},
                      FilterRow{"HalfUtf16PassesUnchangedAndFails",
                                inEncoding(kJet, TextEncoding::utf16Little) + "x",
                                inEncoding(kJet, TextEncoding::utf16Little) + "x", kExitRunFailed}),
    RowName());

}  // namespace
}  // namespace cirrowisp
