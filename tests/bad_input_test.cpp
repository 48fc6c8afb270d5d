// Bad input through the command line, as a user would meet it: odd simulator paths, odd
// aircraft files, odd folders. Each must end in a clear message or a sound skip, never a crash,
// and nothing may change where nothing should. The program runs as a child process, so a crash
// is seen as one and its peak memory can be measured.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "patcher/aircraft_folders.h"
#include "patcher/aircraft_scan.h"
#include "tests/support/bad_input_rows.h"
#include "tests/support/child_process.h"
#include "tests/support/named_rows.h"
#include "tests/support/samples.h"
#include "tests/support/scan_fault_check.h"
#include "tests/support/temp_tree.h"

namespace cirrowisp {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::TempTree;

// The summary line by line as the program prints it.
std::string summary(int ai, int flyable, int contrails, int temperatures) {
    return summaryText({ai, flyable, contrails, temperatures}) + "\n";
}

// The user permission tests run the program as: root reads and writes whatever it likes, so
// as root the program is started as this user instead (scripts/ci creates it).
constexpr const char* kTestUser = "cirrowisp-test";

// Who the program must run as for permissions to bite; nullopt when that cannot be arranged.
std::optional<Account> unprivilegedAccount() {
    if (::geteuid() != 0) {
        return Account{::geteuid(), ::getegid()};
    }
    const passwd* user = ::getpwnam(kTestUser);
    if (user == nullptr) {
        return std::nullopt;
    }
    return Account{user->pw_uid, user->pw_gid};
}

// The program under test. The reliability stage runs these tests once more on a copy inside a
// folder only the caller may enter, as a checkout inside a private home folder has it.
std::string cliProgram() {
    const char* const copy = std::getenv("CIRROWISP_CLI");
    return copy != nullptr && *copy != '\0' ? copy : CIRROWISP_CLI;
}

struct CliResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
    long peakKilobytes = 0;
};

CliResult runCli(const std::vector<std::string>& args,
                 const std::optional<Account>& as = std::nullopt) {
    TempTree capture;
    ChildOptions options{capture.path("out"), capture.path("err"), as, ""};
    std::vector<std::string> argv{cliProgram()};
    if (as && as->uid != ::geteuid()) {
        argv[0] = stageProgram(argv[0], capture.root());
        options.workDir = capture.path();
    }
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child(argv, options);
    CliResult result;
    result.status = child.wait(&result.peakKilobytes);
    if (result.status < 0) {
        ADD_FAILURE() << "could not run " << argv[0];
        return result;
    }
    result.out = capture.read("out");
    result.err = capture.read("err");
    return result;
}

// A tree the test user may write to, as a simulator folder it owns would be.
void handOver(const TempTree& tree, const Account& account) {
    ::chown(tree.path().c_str(), account.uid, account.gid);
    for (const auto& entry : fs::recursive_directory_iterator(tree.root())) {
        ::lchown(entry.path().c_str(), account.uid, account.gid);
    }
}

class BadInput : public ::testing::Test {
protected:
    TempTree tree_;
    const std::string airplanes_ = "sim/SimObjects/Airplanes/";
};

class BadInputTable : public ::testing::TestWithParam<BadInputRow> {};

TEST_P(BadInputTable, EndsAsTheRowSays) {
    const BadInputRow& row = GetParam();
    TempTree tree;
    row.build(tree);
    const auto before = tree.files();
    std::vector<std::string> args{"--verbose"};
    if (row.flyable)
        args.push_back("--flyable");
    args.push_back(inTree(tree, row.folder));
    const CliResult result = runCli(args);
    const int status[] = {2, 0, 1};  // refused, finished, failed
    EXPECT_EQ(result.status, status[static_cast<int>(row.cli.ends)]) << result.err;
    EXPECT_EQ(result.out, row.cli.ends == Ends::finished ? summaryText(row.cli.totals) + "\n" : "");
    for (const std::string& text : row.cli.says)
        EXPECT_THAT(result.err, HasSubstr(inTree(tree, text)));
    if (row.after)
        row.after(tree);
    else
        EXPECT_EQ(tree.files(), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInputTable, ::testing::ValuesIn(badInputRows()), RowName{});

TEST_F(BadInput, UnreadableAircraftFileIsSkippedAndNotCounted) {
    const auto account = unprivilegedAccount();
    if (!account)
        GTEST_SKIP() << "running as root without a '" << kTestUser << "' user";
    tree_.write(airplanes_ + "Locked/aircraft.cfg", kJet);
    tree_.write(airplanes_ + "Jet/aircraft.cfg", kJet);
    handOver(tree_, *account);
    fs::permissions(tree_.root() / (airplanes_ + "Locked/aircraft.cfg"), fs::perms::none);
    const CliResult result = runCli({tree_.path("sim")}, account);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, summary(1, 0, 1, 1));
    EXPECT_FALSE(tree_.exists(airplanes_ + "Locked/without_contrails_aircraft.cfg"));
    EXPECT_FALSE(tree_.exists(airplanes_ + "Locked/new_aircraft.cfg"));
    EXPECT_EQ(tree_.read(airplanes_ + "Jet/aircraft.cfg"), patched(kJet));
}

TEST_F(BadInput, ReadOnlyAircraftFolderIsLeftUntouched) {
    const auto account = unprivilegedAccount();
    if (!account)
        GTEST_SKIP() << "running as root without a '" << kTestUser << "' user";
    tree_.write(airplanes_ + "Frozen/aircraft.cfg", kJet);
    tree_.write(airplanes_ + "Jet/aircraft.cfg", kJet);
    handOver(tree_, *account);
    const fs::path frozen = tree_.root() / (airplanes_ + "Frozen");
    fs::permissions(frozen, fs::perms::owner_read | fs::perms::owner_exec);
    const CliResult result = runCli({tree_.path("sim")}, account);
    fs::permissions(frozen, fs::perms::owner_all);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, summary(1, 0, 1, 1));
    EXPECT_EQ(tree_.files().count(airplanes_ + "Frozen/aircraft.cfg"), 1u);
    EXPECT_EQ(tree_.read(airplanes_ + "Frozen/aircraft.cfg"), kJet);
    EXPECT_EQ(std::distance(fs::directory_iterator(frozen), fs::directory_iterator()), 1);
    EXPECT_EQ(tree_.read(airplanes_ + "Jet/aircraft.cfg"), patched(kJet));
}

fs::perms modeOf(const TempTree& tree, const std::string& relative) {
    return fs::status(tree.root() / relative).permissions();
}

// A file only its owner and group may read: the new file, the backup and the restored file
// keep that, where a file made new would take the process's umask (0644).
TEST_F(BadInput, OwnModeSurvivesARunAndARestore) {
    const fs::perms kOwnerWriteGroupRead =
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    tree_.write(airplanes_ + "Jet/aircraft.cfg", kJet);
    fs::permissions(tree_.root() / (airplanes_ + "Jet/aircraft.cfg"), kOwnerWriteGroupRead);
    const CliResult run = runCli({tree_.path("sim")});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(tree_.read(airplanes_ + "Jet/aircraft.cfg"), patched(kJet));
    EXPECT_EQ(modeOf(tree_, airplanes_ + "Jet/aircraft.cfg"), kOwnerWriteGroupRead);
    EXPECT_EQ(modeOf(tree_, airplanes_ + "Jet/without_contrails_aircraft.cfg"),
              kOwnerWriteGroupRead);
    const CliResult restore = runCli({"--restore", tree_.path("sim")});
    ASSERT_EQ(restore.status, 0) << restore.err;
    ASSERT_EQ(tree_.read(airplanes_ + "Jet/aircraft.cfg"), kJet);
    EXPECT_EQ(modeOf(tree_, airplanes_ + "Jet/aircraft.cfg"), kOwnerWriteGroupRead);
}

// The owner's write bit off is the pilot's "do not touch", whoever runs the program: root,
// whom the bits do not stop, leaves the file alone all the same. A run, a dry run and a
// restore name it and count it on a line of their own, and go on.
TEST_F(BadInput, OwnerReadOnlyAircraftFileIsLeftAloneAndCounted) {
    const std::string locked = airplanes_ + "Locked/aircraft.cfg";
    tree_.write(locked, kJet);
    tree_.write(airplanes_ + "Jet/aircraft.cfg", kJet);
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read;
    fs::permissions(tree_.root() / locked, readOnly);
    const std::string readOnlyLine = "Left 1 read-only aircraft.cfg file alone.\n";
    const std::string named = "Locked: left alone, aircraft.cfg is read-only\n";

    const CliResult dryRun = runCli({"--dry-run", tree_.path("sim")});
    EXPECT_EQ(dryRun.status, 0) << dryRun.err;
    EXPECT_THAT(dryRun.out, HasSubstr(summary(1, 0, 1, 1) + readOnlyLine));
    EXPECT_THAT(dryRun.err, HasSubstr(named));
    const CliResult run = runCli({tree_.path("sim")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, summary(1, 0, 1, 1) + readOnlyLine);
    EXPECT_THAT(run.err, HasSubstr(named));
    EXPECT_EQ(tree_.read(locked), kJet);
    EXPECT_EQ(modeOf(tree_, locked), readOnly);
    EXPECT_FALSE(tree_.exists(airplanes_ + "Locked/without_contrails_aircraft.cfg"));

    // Protected after the run: the restore keeps both the file and its backup.
    const std::string jet = airplanes_ + "Jet/aircraft.cfg";
    fs::permissions(tree_.root() / jet, readOnly);
    const CliResult restore = runCli({"--restore", tree_.path("sim")});
    EXPECT_THAT(restore.out, HasSubstr(readOnlyLine));
    EXPECT_THAT(restore.err, HasSubstr("Jet: AI, left alone, aircraft.cfg is read-only"));
    EXPECT_EQ(tree_.read(jet), patched(kJet));
    EXPECT_TRUE(tree_.exists(airplanes_ + "Jet/without_contrails_aircraft.cfg"));
}

// A link to a file of the user's outside the tree, planted under each name the program makes or
// takes for its own in two aircraft folders, before a run, a restore and a forced restore (one
// of them edited after the run). The file behind it never changes and no aircraft.cfg becomes a
// link or takes its bytes; a backup or kept file that is a link leaves its folder alone, named.
class PlantedLink : public ::testing::TestWithParam<std::string> {};

TEST_P(PlantedLink, NeverLeadsAWriteOutOfTheTree) {
    const std::string& name = GetParam();
    // A backup or kept file: not ours to trust.
    const bool strangers = name == kBackupFileName || name == kBeforeRestoreFileName;
    TempTree tree;
    const std::string victimBytes = "export PATH=$HOME/bin:$PATH\n";
    tree.write("home/.bashrc", victimBytes);
    const std::vector<std::string> folders = {"sim/SimObjects/Airplanes/Jet/",
                                              "sim/SimObjects/Airplanes/Edited/"};
    auto plant = [&] {
        for (const std::string& folder : folders) {
            const fs::path link = tree.root() / (folder + name);
            fs::remove(link);
            fs::create_symlink(tree.root() / "home/.bashrc", link);
        }
    };
    auto check = [&](const std::string& step, const CliResult& result) {
        EXPECT_EQ(tree.read("home/.bashrc"), victimBytes) << step;
        for (const std::string& folder : folders) {
            EXPECT_FALSE(fs::is_symlink(tree.root() / (folder + "aircraft.cfg"))) << step;
            EXPECT_NE(tree.read(folder + "aircraft.cfg"), victimBytes) << step;
            if (strangers) {
                EXPECT_THAT(result.err,
                            HasSubstr(tree.path(folder.substr(0, folder.size() - 1)) + ": "))
                    << step;
                EXPECT_THAT(result.err, HasSubstr(name + " is a link")) << step;
            }
        }
    };
    for (const std::string& folder : folders) {
        tree.write(folder + "aircraft.cfg", kJet);
    }
    plant();
    const CliResult run = runCli({tree.path("sim")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, strangers ? summary(0, 0, 0, 0) : summary(2, 0, 2, 2));
    check("run", run);

    // The tree a run leaves, one aircraft edited since; the links planted again where the
    // run removed them.
    for (const std::string& folder : folders) {
        fs::remove(tree.root() / (folder + name));
        tree.write(folder + "aircraft.cfg", patched(kJet));
        tree.write(folder + "without_contrails_aircraft.cfg", kJet);
    }
    tree.write(folders[1] + "aircraft.cfg", patched(kJet) + "[fltsim.1]\r\n");
    plant();
    const CliResult restore = runCli({"--restore", tree.path("sim")});
    EXPECT_EQ(restore.status, 3) << restore.err;
    check("restore", restore);
    EXPECT_EQ(tree.read(folders[0] + "aircraft.cfg"), strangers ? patched(kJet) : kJet);

    plant();
    const CliResult forced = runCli({"--restore", "--force", tree.path("sim")});
    EXPECT_EQ(forced.status, strangers ? 3 : 0) << forced.err;
    check("forced restore", forced);
    EXPECT_EQ(tree.read(folders[1] + "aircraft.cfg"),
              strangers ? patched(kJet) + "[fltsim.1]\r\n" : kJet);
}

INSTANTIATE_TEST_SUITE_P(EveryName, PlantedLink, ::testing::ValuesIn(kPlantedLinkNames),
                         [](const auto& row) {
                             std::string name = row.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

ino_t inodeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// An aircraft.cfg that is a hard link to a file kept elsewhere: the backup must be a copy of its
// own, and the file elsewhere must not change, whatever is later done to either in place.
TEST_F(BadInput, HardLinkedAircraftFileSharesNothingAfterTheRun) {
    tree_.write("library/jet.cfg", kJet);
    tree_.folder(airplanes_ + "Jet");
    fs::create_hard_link(tree_.root() / "library/jet.cfg",
                         tree_.root() / (airplanes_ + "Jet/aircraft.cfg"));
    const CliResult result = runCli({tree_.path("sim")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, summary(1, 0, 1, 1));

    const fs::path folder = tree_.root() / (airplanes_ + "Jet");
    const std::set<ino_t> inodes{inodeOf(tree_.root() / "library/jet.cfg"),
                                 inodeOf(folder / "aircraft.cfg"),
                                 inodeOf(folder / "without_contrails_aircraft.cfg")};
    EXPECT_EQ(inodes.size(), 3u);
    EXPECT_EQ(tree_.read("library/jet.cfg"), kJet);
    std::ofstream(folder / "aircraft.cfg", std::ios::app) << "edited=1\r\n";
    std::ofstream(tree_.root() / "library/jet.cfg", std::ios::app) << "edited=2\r\n";
    EXPECT_EQ(tree_.read(airplanes_ + "Jet/without_contrails_aircraft.cfg"), kJet);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

void writeLarge(const fs::path& path, const std::string& head, std::size_t lineLength,
                std::size_t lines) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    const std::string line = std::string(lineLength, 'x') + "\r\n";
    for (std::size_t i = 0; i < lines; ++i) out << line;
    out << "[end]\r\n";
}

TEST_F(BadInput, MemoryIsBoundedByTheLongestLineNotTheFile) {
    if (kSanitized)
        GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine";
    constexpr std::size_t kMegabyte = 1024 * 1024;
    const std::string head = "[GeneralEngineData]\r\nengine_type=1\r\n[effects]\r\n";
    tree_.folder(airplanes_ + "OneLine");
    tree_.folder(airplanes_ + "ManyLines");
    writeLarge(tree_.root() / (airplanes_ + "OneLine/aircraft.cfg"), head, 100 * kMegabyte, 1);

    const CliResult oneLine = runCli({tree_.path("sim")});
    EXPECT_EQ(oneLine.status, 0) << oneLine.err;
    EXPECT_EQ(oneLine.out, summary(1, 0, 1, 1));
    const auto size = fs::file_size(tree_.root() / (airplanes_ + "OneLine/aircraft.cfg"));
    EXPECT_GT(size, 100 * kMegabyte);
    // The line itself, grown by doubling, and nothing in proportion to the rest of the file.
    EXPECT_LT(oneLine.peakKilobytes, 220 * 1024) << "peak " << oneLine.peakKilobytes << " KB";

    fs::remove_all(tree_.root() / (airplanes_ + "OneLine"));
    writeLarge(tree_.root() / (airplanes_ + "ManyLines/aircraft.cfg"), head, 100, kMegabyte);
    const CliResult manyLines = runCli({tree_.path("sim")});
    EXPECT_EQ(manyLines.status, 0) << manyLines.err;
    EXPECT_EQ(manyLines.out, summary(1, 0, 1, 1));
    EXPECT_LT(manyLines.peakKilobytes, 32 * 1024) << "peak " << manyLines.peakKilobytes << " KB";
    std::cout << "peak memory: 100 MB line " << oneLine.peakKilobytes / 1024
              << " MB, 100 MB of short lines " << manyLines.peakKilobytes / 1024 << " MB\n";
}

}  // namespace
}  // namespace cirrowisp
