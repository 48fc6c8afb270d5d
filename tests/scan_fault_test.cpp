#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "patcher/aircraft_scan.h"
#include "patcher/cfg_rewrite.h"
#include "platform/fake_file_system.h"
#include "platform/overlay_file_system.h"

namespace cirrowisp {
namespace {

const std::string kJet =
    "[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[end]\r\n";
const std::string kTurboprop =
    "[GeneralEngineData]\r\nengine_type=5\r\n[effects]\r\nwater=fx_spray\r\n[end]\r\n";

std::string patched(const std::string& original) {
    std::string output;
    rewriteText(PatchOptions{}, original, output);
    return output;
}

// A small simulator: two aircraft that need a backup, one patched earlier (with its backup),
// one flyable that is left alone, and a folder without aircraft.cfg.
struct Aircraft {
    std::string folder;
    std::string original;  // the bytes before any run: what the backup must hold
    std::string now;       // aircraft.cfg when the test starts
};

class ScanFaults : public ::testing::Test {
protected:
    void SetUp() override {
        aircraft_ = {
            {"/sim/SimObjects/Airplanes/Jet", kJet, kJet},
            {"/sim/SimObjects/Airplanes/Done", kTurboprop, patched(kTurboprop)},
            {"/sim/MyTraffic/Aircraft/Prop", kTurboprop, kTurboprop},
        };
    }

    void build(FakeFileSystem& fs) const {
        for (const Aircraft& a : aircraft_) {
            fs.addFile(a.folder + "/aircraft.cfg", a.now);
            if (a.now != a.original) {
                fs.addFile(a.folder + "/without_contrails_aircraft.cfg", a.original);
            }
        }
        fs.addFile("/sim/SimObjects/Airplanes/Player/aircraft.cfg", kJet);
        fs.addFolder("/sim/SimObjects/Airplanes/Player/panel");
        fs.addFile("/sim/SimObjects/Airplanes/Textures/readme.txt", "x");
    }

    static ScanTotals run(FileSystem& fs) {
        PatchOptions options;
        options.simulatorPath = "/sim";
        return AircraftScan(options, fs);
    }

    // What must hold at every instant of a run, however it ends.
    void checkInvariants(const FakeFileSystem& fs, std::set<std::string>& finished) const {
        for (const Aircraft& a : aircraft_) {
            const auto current = fs.content(a.folder + "/aircraft.cfg");
            ASSERT_TRUE(current.has_value()) << a.folder << " lost its aircraft.cfg";
            const std::string done = patched(a.original);
            ASSERT_TRUE(*current == a.now || *current == done) << a.folder << " holds a torn file";
            if (*current == done) {
                finished.insert(a.folder);
            } else {
                ASSERT_EQ(finished.count(a.folder), 0u) << a.folder << " went back to old bytes";
            }
            const auto backup = fs.content(a.folder + "/without_contrails_aircraft.cfg");
            if (backup) {
                ASSERT_EQ(*backup, a.original) << a.folder << " has a wrong or partial backup";
            } else {
                ASSERT_EQ(*current, a.original) << a.folder << " changed without a backup";
            }
        }
    }

    std::vector<Aircraft> aircraft_;
};

TEST_F(ScanFaults, EveryFailingOperationKeepsTheTreeSoundAndARerunFinishes) {
    FakeFileSystem clean;
    build(clean);
    std::set<std::string> cleanFinished;
    clean.setAfterEachOperation([&] { checkInvariants(clean, cleanFinished); });
    const ScanTotals cleanTotals = run(clean);
    EXPECT_EQ(summaryText(cleanTotals), summaryText({3, 0, 2, 2}));
    const auto endState = clean.filesBelow("/sim");
    const std::size_t operations = clean.operationCount();
    ASSERT_GT(operations, 20u);

    for (std::size_t n = 1; n <= operations; ++n) {
        SCOPED_TRACE("operation " + std::to_string(n) + " fails");
        FakeFileSystem fs;
        build(fs);
        std::set<std::string> finished;
        fs.setAfterEachOperation([&] { checkInvariants(fs, finished); });
        fs.failOperation(n, FakeFault::NoSpace);
        bool threw = false;
        try {
            run(fs);
        } catch (const FileError& error) {
            threw = true;
            // The fault itself, or a backup whose open failed and whose name is then taken.
            EXPECT_THAT(error.reason(), ::testing::AnyOf("No space left on device", "File exists"));
            EXPECT_THAT(error.path(), ::testing::StartsWith("/sim/"));
        }
        const std::string failed = fs.log()[n - 1];
        // Reads, writes, closes, renames and deletes end the run. A listing or an open that
        // fails makes a folder look empty, or a backup absent, which may or may not end it.
        const bool ends = failed.rfind("list", 0) != 0 && failed.rfind("openRead", 0) != 0 &&
                          failed.rfind("create", 0) != 0;
        if (ends) {
            EXPECT_TRUE(threw) << failed;
        }
        // A failed folder leaves no half-made file behind.
        for (const auto& [path, bytes] : fs.filesBelow("/sim")) {
            EXPECT_THAT(path, ::testing::Not(::testing::HasSubstr("new_aircraft.cfg")));
            EXPECT_THAT(path, ::testing::Not(::testing::HasSubstr(".tmp")));
        }

        fs.failOperation(0);
        run(fs);
        EXPECT_EQ(fs.filesBelow("/sim"), endState) << failed;
    }
}

TEST_F(ScanFaults, HeldOpenAircraftFileIsSkippedAndNotCounted) {
    FakeFileSystem fs;
    build(fs);
    fs.setHeldOpen("/sim/SimObjects/Airplanes/Jet/aircraft.cfg", true);
    const ScanTotals totals = run(fs);
    EXPECT_EQ(totals.aiAircraft, 2);
    EXPECT_EQ(fs.content("/sim/SimObjects/Airplanes/Jet/aircraft.cfg"), kJet);
    EXPECT_FALSE(fs.exists("/sim/SimObjects/Airplanes/Jet/without_contrails_aircraft.cfg"));
}

TEST_F(ScanFaults, ReadOnlyFolderIsLeftAloneAndTheRunGoesOn) {
    FakeFileSystem fs;
    build(fs);
    fs.setReadOnly("/sim/SimObjects/Airplanes/Jet", true);
    OverlayFileSystem dryRun(fs);
    const ScanTotals predicted = run(dryRun);
    const ScanTotals totals = run(fs);
    EXPECT_EQ(summaryText(predicted), summaryText(totals));
    EXPECT_EQ(totals.aiAircraft, 2);
    EXPECT_EQ(fs.content("/sim/SimObjects/Airplanes/Jet/aircraft.cfg"), kJet);
    EXPECT_EQ(fs.content("/sim/MyTraffic/Aircraft/Prop/aircraft.cfg"), patched(kTurboprop));
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
    EXPECT_EQ(totals.aiAircraft, 2);
    EXPECT_EQ(fs.content("/sim/SimObjects/Airplanes/Jet/aircraft.cfg"), kJet);
    EXPECT_EQ(fs.content("/sim/MyTraffic/Aircraft/Prop/aircraft.cfg"), patched(kTurboprop));
}

}  // namespace
}  // namespace cirrowisp
