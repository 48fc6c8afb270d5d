// Bad input through the dialogs' Start path (the sequence both dialogs run on a Start click),
// on the real disk: each ends in the summary or in a message naming the file and the reason,
// never in an exception that escapes to the window, and nothing changes that should not.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "patcher/aircraft_folders.h"
#include "platform/host_file_system.h"
#include "tests/support/samples.h"
#include "tests/support/temp_tree.h"
#include "ui/common/generator_form.h"

namespace cirrowisp {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::TempTree;

const std::string kAirplanes = "sim/SimObjects/Airplanes/";

StartOutcome start(const std::string& simulatorPath, bool flyable = false) {
    PatchOptions options;
    FormValues form = formFromOptions(options);
    form.simulatorPath = simulatorPath;
    form.flyable = flyable;
    const auto fileSystem = makeHostFileSystem();
    return runStart(form, options, *fileSystem);
}

// What a Start click over the tree must end in.
struct StartCase {
    const char* name;
    void (*build)(const TempTree&);
    std::string (*path)(const TempTree&);
    StartOutcome::Kind kind;
    int aircraft;  // AI and flyable together, when finished
};

// Names the row in test output, instead of a dump of its bytes.
void PrintTo(const StartCase& row, std::ostream* out) {
    *out << row.name;
}

std::string simFolder(const TempTree& tree) {
    return tree.path("sim");
}

class StartBadInput : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartBadInput, EndsInSummaryOrMessage) {
    TempTree tree;
    GetParam().build(tree);
    const auto before = tree.files();
    StartOutcome outcome;
    ASSERT_NO_THROW(outcome = start(GetParam().path(tree), true));
    EXPECT_EQ(outcome.kind, GetParam().kind) << outcome.message;
    if (outcome.kind == StartOutcome::Kind::finished) {
        EXPECT_EQ(outcome.totals.aiAircraft + outcome.totals.flyableAircraft, GetParam().aircraft);
        EXPECT_EQ(outcome.message, summaryText(outcome.totals));
    }
    if (GetParam().aircraft == 0) {
        EXPECT_EQ(tree.files(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Trees, StartBadInput,
    ::testing::Values(
        StartCase{"MissingFolder", [](const TempTree&) {},
                  [](const TempTree& tree) { return tree.path("no/such/folder"); },
                  StartOutcome::Kind::finished, 0},
        // The dialog has no rule for an empty field: the run looks below the root of the disk.
        StartCase{"EmptyPath", [](const TempTree&) {},
                  [](const TempTree&) { return std::string(); }, StartOutcome::Kind::finished, 0},
        StartCase{"FolderIsAFile", [](const TempTree& tree) { tree.write("sim", "a file"); },
                  simFolder, StartOutcome::Kind::finished, 0},
        StartCase{"TrailingSeparator",
                  [](const TempTree& tree) { tree.write(kAirplanes + "Jet/aircraft.cfg", kJet); },
                  [](const TempTree& tree) { return tree.path("sim") + "\\"; },
                  StartOutcome::Kind::finished, 1},
        StartCase{"AircraftFileIsAFolder",
                  [](const TempTree& tree) { tree.folder(kAirplanes + "Odd/aircraft.cfg"); },
                  simFolder, StartOutcome::Kind::finished, 0},
        StartCase{"BinaryFile",
                  [](const TempTree& tree) {
                      tree.write(kAirplanes + "Bin/aircraft.cfg",
                                 kJet + std::string("\0\xff\x1a\0", 4));
                  },
                  simFolder, StartOutcome::Kind::finished, 1},
        StartCase{"DanglingPanelLink",
                  [](const TempTree& tree) {
                      tree.write(kAirplanes + "Player/aircraft.cfg", kJet);
                      fs::create_symlink(tree.root() / "nowhere",
                                         tree.root() / (kAirplanes + "Player/panel"));
                  },
                  simFolder, StartOutcome::Kind::finished, 1},
        StartCase{"CodePageName",
                  [](const TempTree& tree) {
                      tree.write(kAirplanes + "\x83\x5c\x83\x89/aircraft.cfg", kJet);
                  },
                  simFolder, StartOutcome::Kind::finished, 1}),
    [](const ::testing::TestParamInfo<StartCase>& row) { return row.param.name; });

TEST(StartBadInputMessages, BackupNameTakenByAFolderGivesFileAndReason) {
    TempTree tree;
    tree.write(kAirplanes + "Jet/aircraft.cfg", kJet);
    tree.folder(kAirplanes + "Jet/without_contrails_aircraft.cfg");
    const StartOutcome outcome = start(tree.path("sim"));
    EXPECT_EQ(outcome.kind, StartOutcome::Kind::failed);
    EXPECT_THAT(outcome.message, HasSubstr("without_contrails_aircraft.cfg"));
    EXPECT_THAT(outcome.message, HasSubstr("File exists"));
    EXPECT_EQ(tree.read(kAirplanes + "Jet/aircraft.cfg"), kJet);
}

TEST(StartBadInputMessages, LinkedAircraftFolderIsFollowed) {
    TempTree tree;
    tree.write("elsewhere/Jet/aircraft.cfg", kJet);
    tree.folder(kAirplanes);
    fs::create_directory_symlink(tree.root() / "elsewhere/Jet", tree.root() / (kAirplanes + "Jet"));
    const StartOutcome outcome = start(tree.path("sim"));
    EXPECT_EQ(outcome.kind, StartOutcome::Kind::finished) << outcome.message;
    EXPECT_EQ(outcome.totals.aiAircraft, 1);
    EXPECT_EQ(tree.read("elsewhere/Jet/aircraft.cfg"), patched(kJet));
}

// The summary names the folder whose backup is a link, as the restore names those it leaves.
TEST(StartBadInputMessages, LinkedBackupLeavesItsFolderAloneAndNamed) {
    TempTree tree;
    tree.write("home/.bashrc", "not an aircraft file\n");
    tree.write(kAirplanes + "Jet/aircraft.cfg", kJet);
    tree.write(kAirplanes + "Prop/aircraft.cfg", kJet);
    fs::create_symlink(tree.root() / "home/.bashrc",
                       tree.root() / (kAirplanes + "Jet/without_contrails_aircraft.cfg"));
    const StartOutcome outcome = start(tree.path("sim"));
    EXPECT_EQ(outcome.kind, StartOutcome::Kind::finished) << outcome.message;
    LeftAloneList named;
    named.add(tree.path(kAirplanes + "Jet"), linkReason(kBackupFileName));
    EXPECT_EQ(outcome.message, summaryText({1, 0, 1, 1}) + named.text());
    EXPECT_EQ(tree.read(kAirplanes + "Jet/aircraft.cfg"), kJet);
}

}  // namespace
}  // namespace cirrowisp
