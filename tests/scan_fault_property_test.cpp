// A fault at every operation, with every disk error, over many generated simulator trees rather
// than one: folders with and without backups, flyable ones, held-open files, read-only folders,
// other spellings, files that are empty, binary or longer than a read buffer, folder names in
// several scripts, links planted under the names the program makes. Fixed seeds; the restore rows
// check a restore (forced or not) over the tree a clean run left, some aircraft edited after that
// run.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "tests/support/draw.h"
#include "tests/support/named_rows.h"
#include "tests/support/random_aircraft.h"
#include "tests/support/samples.h"
#include "tests/support/scan_fault_check.h"

namespace cirrowisp {
namespace {

// UTF-8 names, as the host file systems hand them over: Latin, Cyrillic, Japanese, one beyond
// the Basic Multilingual Plane.
const std::array<std::string, 4> kFolderNames = {"F", "\xD0\xA2\xD1\x83-154_",
                                                 "\xE6\x97\xA5\xE6\x9C\xAC_", "\xF0\x9F\x9B\xA9_"};

TreeSpec randomTree(Draw& draw, FaultAction action) {
    TreeSpec tree;
    tree.action = action;
    selectEngines(tree.options, draw.below(kEngineChoices));
    tree.options.includeFlyable = draw.chance(50);
    const std::uint32_t count = 2 + draw.below(5);
    for (std::uint32_t i = 0; i < count; ++i) {
        FolderSpec folder;
        folder.path = std::string(draw.chance(60) ? "/sim/SimObjects/Airplanes/"
                                                  : "/sim/MyTraffic/Aircraft/") +
                      kFolderNames[i % kFolderNames.size()] + std::to_string(i);
        if (!draw.chance(10)) {
            folder.aircraft = randomAircraftFile(draw);
            folder.aircraftName = draw.chance(10) ? "Aircraft.CFG" : "aircraft.cfg";
            folder.heldOpen = draw.chance(5);
        }
        if (draw.chance(20)) {
            folder.backup = "older bytes " + std::to_string(i) + "\r\n";
            folder.backupHeldOpen = draw.chance(10);
        }
        folder.panel = draw.chance(20);
        folder.readOnly = draw.chance(5);
        if (draw.chance(15)) {
            folder.link = draw.pick(kPlantedLinkNames);
        }
        if (action != FaultAction::run) {
            // Drawn only here, so the trees of the run rows stay as they were.
            if (draw.chance(30)) {
                folder.editAfterRun = draw.chance(50)
                                          ? std::string("[fltsim.9]\r\ntitle=Livery\r\n")
                                          : std::string("\r\n\r\ncontrail=fx_own\n");
            }
            if (draw.chance(10)) {
                folder.keptBefore = "kept by an earlier restore\r\n";
            }
        }
        tree.folders.push_back(folder);
    }
    return tree;
}

struct FaultSeed {
    const char* name;
    std::uint32_t seed;
    FaultAction action = FaultAction::run;
    bool findsAnyCase = false;
};

class ScanFaultProperties : public ::testing::TestWithParam<FaultSeed> {};

constexpr int kTreesPerSeed = 30;

TEST_P(ScanFaultProperties, EveryFaultOnEveryTreeKeepsFilesWholeAndARerunFinishes) {
    static constexpr std::array<FakeFault, 4> kFaults = {
        FakeFault::NoSpace, FakeFault::PermissionDenied, FakeFault::InUse, FakeFault::NameTaken};
    Draw draw(GetParam().seed);
    std::size_t checked = 0;
    for (int t = 0; t < kTreesPerSeed; ++t) {
        TreeSpec tree = randomTree(draw, GetParam().action);
        tree.findsAnyCase = GetParam().findsAnyCase;
        const FaultCheck check(std::move(tree));
        // Every operation fails once, each time with one of the four errors in turn; the fixed
        // tree of scan_fault_test.cpp has every error at every operation.
        for (std::size_t n = 1; n <= check.operations(); ++n) {
            const FakeFault fault = kFaults[(n + static_cast<std::size_t>(t)) % kFaults.size()];
            const std::string broken = check.failAt(n, fault);
            ASSERT_EQ(broken, "") << "tree " << t << " of seed " << GetParam().seed
                                  << ", operation " << n << " fails with "
                                  << FakeFileSystem::reasonText(fault);
            ++checked;
        }
    }
    EXPECT_GT(checked, 500u);
}

INSTANTIATE_TEST_SUITE_P(
    Seeds, ScanFaultProperties,
    ::testing::Values(FaultSeed{"Seed1", 1}, FaultSeed{"Seed2", 2},
                      FaultSeed{"Seed20261207", 20261207},
                      // Names asked for one by one, as on Windows, instead of listed.
                      FaultSeed{"AnyCaseSeed1", 1, FaultAction::run, true},
                      FaultSeed{"AnyCaseSeed5", 5, FaultAction::run, true},
                      FaultSeed{"RestoreSeed3", 3, FaultAction::restore},
                      FaultSeed{"ForcedRestoreSeed4", 4, FaultAction::forceRestore}),
    RowName{});

}  // namespace
}  // namespace cirrowisp
