// The benchmark's tree generator and I/O floor: a benchmark over files that do not look like
// real ones, or a floor that does not do what a run does, would measure the wrong thing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "bench/io_floor.h"
#include "bench/tree_generator.h"
#include "patcher/byte_text.h"
#include "patcher/cfg_rewrite.h"
#include "tests/support/temp_tree.h"

namespace cirrowisp {
namespace {

using bench::CfgGenerator;
using bench::CfgTraits;

TEST(GeneratedFiles, SameSeedGivesSameBytes) {
    CfgGenerator first(11);
    CfgGenerator second(11);
    CfgGenerator other(12);
    for (int i = 0; i < 10; ++i) {
        const std::string bytes = first.next();
        EXPECT_EQ(bytes, second.next()) << "file " << i;
        EXPECT_NE(bytes, other.next()) << "file " << i;
    }
}

TEST(GeneratedFiles, HaveTheShapesOfInstalledFiles) {
    CfgGenerator generator(3);
    int patched = 0;
    int lfOnly = 0;
    int withoutFinalLineEnd = 0;
    int withHighBytes = 0;
    int tabAligned = 0;
    int withEngineData = 0;
    std::map<int, int> engineTypes;
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) {
        CfgTraits traits;
        const std::string bytes = generator.next(&traits);
        SCOPED_TRACE("file " + std::to_string(i));
        EXPECT_EQ(traits.size, bytes.size());
        EXPECT_GE(bytes.size(), 5u * 1024);
        EXPECT_LE(bytes.size(), 60u * 1024);
        EXPECT_GE(std::count(bytes.begin(), bytes.end(), '\n'), 150);
        patched += traits.patched ? 1 : 0;
        lfOnly += bytes.find("\r\n") == std::string::npos ? 1 : 0;
        withoutFinalLineEnd += bytes.back() != '\n' ? 1 : 0;
        withHighBytes += std::any_of(bytes.begin(), bytes.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        tabAligned += bytes.find("\t\t= ") != std::string::npos ? 1 : 0;
        withEngineData += findUpper(bytes, "[GENERALENGINEDATA]") != std::string::npos ? 1 : 0;
        ++engineTypes[traits.engineType];
    }
    EXPECT_GT(patched, kFiles / 8);
    EXPECT_LT(patched, kFiles / 2);
    EXPECT_GT(lfOnly, kFiles / 10);
    EXPECT_GT(withoutFinalLineEnd, 0);
    EXPECT_GT(withHighBytes, kFiles / 2);
    EXPECT_GT(tabAligned, kFiles / 10);
    EXPECT_EQ(withEngineData, kFiles);
    EXPECT_GE(engineTypes.size(), 4u);
}

// What an earlier run left behind must look finished to the next one, and every file must
// settle after one pass: otherwise the second-run benchmark measures a first run.
TEST(GeneratedFiles, PatchedFilesAreFixedPointsOfThePass) {
    CfgGenerator generator(5);
    const PatchOptions options;
    int patchedSeen = 0;
    for (int i = 0; i < 100; ++i) {
        CfgTraits traits;
        const std::string bytes = generator.next(&traits);
        SCOPED_TRACE("file " + std::to_string(i));
        std::string once;
        const RewriteResult first = rewriteText(options, bytes, once);
        if (traits.patched) {
            ++patchedSeen;
            EXPECT_EQ(once, bytes);
            EXPECT_EQ(first.contrailsAdded, 0);
            EXPECT_EQ(first.temperaturesChanged, 0);
        }
        std::string twice;
        const RewriteResult second = rewriteText(options, once, twice);
        EXPECT_EQ(twice, once);
        EXPECT_EQ(second.contrailsAdded, 0);
        EXPECT_EQ(second.temperaturesChanged, 0);
    }
    EXPECT_GT(patchedSeen, 10);
}

TEST(GeneratedTree, FloorCopiesAndRestoreUndoesAFirstRun) {
    testing::TempTree tree;
    bench::TreeShape shape;
    shape.root = tree.root() / "sim";
    shape.folders = 40;
    shape.missingCfgShare = 0.1;
    const bench::TreeStats stats = bench::generateTree(shape);
    ASSERT_EQ(stats.folders, 40);
    ASSERT_GT(stats.flyable, 0);
    ASSERT_GT(stats.withoutCfg, 0);
    EXPECT_EQ(bench::aircraftFolders(shape.root).size(), 40u);
    const auto before = tree.files();

    bench::FloorOptions floor;
    floor.simulatorFolder = shape.root.string();
    floor.sync = false;
    const bench::FloorTotals first = bench::ioFloorRun(floor);
    EXPECT_EQ(first.treated + first.flyable, stats.folders - stats.withoutCfg);
    EXPECT_GT(first.flyable, 0);
    EXPECT_LE(first.flyable, stats.flyable);
    EXPECT_EQ(first.backupsMade, first.treated + first.flyable);
    const auto after = tree.files();
    for (const auto& [path, bytes] : before) {
        if (path.ends_with("/aircraft.cfg")) {
            const std::string folder = path.substr(0, path.size() - 12);
            EXPECT_EQ(after.at(path), bytes) << path;
            EXPECT_EQ(after.at(folder + "without_contrails_aircraft.cfg"), bytes) << path;
            EXPECT_EQ(after.count(folder + "new_aircraft.cfg"), 0u) << path;
        }
    }

    const bench::FloorTotals second = bench::ioFloorRun(floor);
    EXPECT_EQ(second.backupsMade, 0);
    EXPECT_EQ(second.treated, first.treated);

    // The read-only floor visits the same folders and reads as much, and writes nothing.
    const auto afterSecond = tree.files();
    bench::FloorOptions reading = floor;
    reading.readOnly = true;
    const bench::FloorTotals read = bench::ioFloorRun(reading);
    EXPECT_EQ(read.treated, second.treated);
    EXPECT_EQ(read.bytes, second.bytes);
    EXPECT_EQ(tree.files(), afterSecond);

    floor.includeFlyable = false;
    EXPECT_EQ(bench::ioFloorRun(floor).flyable, 0);

    bench::restoreFirstRunState(shape.root);
    EXPECT_EQ(tree.files(), before);
}

}  // namespace
}  // namespace cirrowisp
