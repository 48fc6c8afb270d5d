#include "patcher/simulator_location.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/fake_registry.h"
#include "tests/support/named_rows.h"
#include "tests/support/repeated.h"

namespace cirrowisp {
namespace {

using namespace std::string_literals;

class SimulatorPathLookupTest : public ::testing::Test {
protected:
    void SetUp() override { SimulatorPathLookup::reset(); }
    void TearDown() override { SimulatorPathLookup::reset(); }
};

// One registry state and what a lookup makes of it.
struct LookupRow {
    const char* name;
    bool hasKey;
    std::optional<std::string> valueName;
    std::string data;
    int expectedResult;
    std::string expectedPath;
};

class LookupRules : public SimulatorPathLookupTest,
                    public ::testing::WithParamInterface<LookupRow> {};

TEST_P(LookupRules, TakesTheValueOrKeepsTheDefault) {
    const LookupRow& row = GetParam();
    FakeRegistry registry;
    if (row.hasKey) {
        registry.addKey(kSimulatorRegistryKey);
    }
    if (row.valueName) {
        registry.setValue(kSimulatorRegistryKey, *row.valueName, row.data);
    }
    EXPECT_EQ(SimulatorPathLookup::lookupSimulatorPath(registry), row.expectedResult);
    EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), row.expectedPath);
}

const std::string k255 = "C:\\" + std::string(252, 'a');
const std::string k256 = "C:\\" + std::string(253, 'a');

// The buffer counts UTF-16 units, as Windows does, not the bytes of the UTF-8 the path becomes:
// a Cyrillic letter is two bytes and one unit, a character beyond the BMP four bytes and two.
const std::string kCyrillic255 = "C:\\" + repeated("\xD0\x96", 252);
const std::string kPlane1Of256 = "C:\\" + repeated("\xF0\x9F\x9B\xA9", 126) + "a";

INSTANTIATE_TEST_SUITE_P(
    Registry, LookupRules,
    ::testing::Values(
        LookupRow{"Success", true, "SetupPath", "C:\\FSX\0"s, 0, "C:\\FSX"},
        LookupRow{"TrailingBackslashUnchanged", true, "SetupPath", "C:\\FSX\\\0"s, 0, "C:\\FSX\\"},
        LookupRow{"MissingKey", false, std::nullopt, "", 13, ".\\Aircraft\\"},
        LookupRow{"MissingValue", true, std::nullopt, "", 13, ".\\Aircraft\\"},
        LookupRow{"OtherValueOnly", true, "InstallPath", "C:\\FSX\0"s, 13, ".\\Aircraft\\"},
        // 255 characters and their NUL fill the buffer exactly.
        LookupRow{"FullBufferWithNul", true, "SetupPath", k255 + '\0', 0, k255},
        // Stored without a terminator: taken whole, never read past the buffer's end.
        LookupRow{"FullBufferWithoutNul", true, "SetupPath", k256, 0, k256},
        LookupRow{"OneByteTooLong", true, "SetupPath", k256 + '\0', 13, ".\\Aircraft\\"},
        LookupRow{"Cyrillic255Characters", true, "SetupPath", kCyrillic255 + '\0', 0, kCyrillic255},
        LookupRow{"Cyrillic256Characters", true, "SetupPath", kCyrillic255 + "\xD0\x96" + '\0', 13,
                  ".\\Aircraft\\"},
        LookupRow{"SurrogatePairsFillTheBuffer", true, "SetupPath", kPlane1Of256, 0, kPlane1Of256},
        LookupRow{"SurrogatePairsOneUnitTooLong", true, "SetupPath", kPlane1Of256 + '\0', 13,
                  ".\\Aircraft\\"},
        // The buffer is read as a NUL-terminated string: whatever follows the first NUL is
        // not part of the path.
        LookupRow{"StopsAtFirstNul", true, "SetupPath", "C:\\FSX\0C:\\Other\0"s, 0, "C:\\FSX"},
        LookupRow{"EmptyValueTaken", true, "SetupPath", "\0"s, 0, ""}),
    RowName{});

TEST_F(SimulatorPathLookupTest, AsksForTheSimulatorKeyWithA256ByteBuffer) {
    FakeRegistry registry;
    registry.setValue("SOFTWARE\\Microsoft\\Microsoft Games\\Flight simulator\\10.0", "SetupPath",
                      "D:\\Sim\0"s);
    EXPECT_EQ(SimulatorPathLookup::lookupSimulatorPath(registry), 0);
    EXPECT_EQ(registry.lastBufferSize, 256u);
    EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), "D:\\Sim");
}

TEST_F(SimulatorPathLookupTest, FailedLookupLeavesTheEarlierPath) {
    FakeRegistry found;
    found.setValue(kSimulatorRegistryKey, "SetupPath", "C:\\FSX\\\0"s);
    ASSERT_EQ(SimulatorPathLookup::lookupSimulatorPath(found), 0);

    FakeRegistry empty;
    EXPECT_EQ(SimulatorPathLookup::lookupSimulatorPath(empty), 13);
    EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), "C:\\FSX\\");

    FakeRegistry tooLong;
    tooLong.setValue(kSimulatorRegistryKey, "SetupPath", std::string(300, 'x'));
    EXPECT_EQ(SimulatorPathLookup::lookupSimulatorPath(tooLong), 13);
    EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), "C:\\FSX\\");
}

TEST_F(SimulatorPathLookupTest, TakesTheHostPathAndFailsWhenThereIsNone) {
    FakeRegistry registry;
    registry.setValue(kSimulatorRegistryKey, "SetupPath", "C:\\FSX\\\0"s);
    std::string mapped;
    registry.setPathMapping([&](const std::string& path) -> std::optional<std::string> {
        mapped = path;
        return "/prefix/drive_c/FSX/";
    });
    EXPECT_EQ(SimulatorPathLookup::lookupSimulatorPath(registry), 0);
    EXPECT_EQ(mapped, "C:\\FSX\\");
    EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), "/prefix/drive_c/FSX/");

    registry.setPathMapping([](const std::string&) { return std::optional<std::string>(); });
    EXPECT_EQ(SimulatorPathLookup::lookupSimulatorPath(registry), 13);
    EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), "/prefix/drive_c/FSX/");
}

}  // namespace
}  // namespace cirrowisp
