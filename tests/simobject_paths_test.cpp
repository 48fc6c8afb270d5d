#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patcher/simobject_paths.h"
#include "tests/support/named_rows.h"

namespace cirrowisp {
namespace {

using ConfigCase = TextRow<std::vector<std::string>>;  // the folders listed

class SimObjectPathsReader : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(SimObjectPathsReader, ListsTheFoldersTheSimulatorLoads) {
    EXPECT_EQ(readSimObjectPaths(GetParam().text), GetParam().yields);
}

const std::string kLongPath = "AI\\" + std::string(5000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Entries, SimObjectPathsReader,
    ::testing::Values(
        ConfigCase{"PlainInstallCrLf",
                   "[Main]\r\nUser Objects=Airplane, Helicopter\r\n"
                   "SimObjectPaths.0=SimObjects\\Airplanes\r\n"
                   "SimObjectPaths.1=SimObjects\\Rotorcraft\r\n[DISPLAY]\r\nX=1\r\n",
                   {"SimObjects\\Airplanes", "SimObjects\\Rotorcraft"}},
        ConfigCase{"LineFeedOnlyAndNoFinalLineEnd",
                   "[Main]\nSimObjectPaths.0=A\nSimObjectPaths.1=B",
                   {"A", "B"}},
        ConfigCase{
            "NamesInAnyCase", "[main]\nSIMOBJECTPATHS.0=A\nsimobjectpaths.1=B\n", {"A", "B"}},
        ConfigCase{"BlanksAroundNamesAndValues",
                   "  [ Main ]  \n\tSimObjectPaths.0 =  C:\\AI Traffic\\Aircraft \t\r\n",
                   {"C:\\AI Traffic\\Aircraft"}},
        ConfigCase{"QuotedValue", "[Main]\nSimObjectPaths.0=\"D:\\My AI\"\n", {"D:\\My AI"}},
        ConfigCase{"CommentLinesIgnored",
                   "[Main]\n;SimObjectPaths.0=Old\n// SimObjectPaths.0=Older\n"
                   "SimObjectPaths.0=New\n",
                   {"New"}},
        ConfigCase{"OtherSectionsIgnored",
                   "SimObjectPaths.0=BeforeAnySection\n[Trafficmanager]\nSimObjectPaths.0=T\n"
                   "[Main]\nSimObjectPaths.0=M\n[Mains]\nSimObjectPaths.1=N\n",
                   {"M"}},
        ConfigCase{"OrderedByNumberNotByLine",
                   "[Main]\nSimObjectPaths.1=Second\nSimObjectPaths.0=First\n",
                   {"First", "Second"}},
        ConfigCase{
            "GapEndsTheList", "[Main]\nSimObjectPaths.0=A\nSimObjectPaths.2=AfterTheGap\n", {"A"}},
        ConfigCase{"NoEntryZeroListsNothing", "[Main]\nSimObjectPaths.1=A\n", {}},
        ConfigCase{"FirstOfTwoEqualNumbersWins",
                   "[Main]\nSimObjectPaths.0=A\nSimObjectPaths.0=B\n",
                   {"A"}},
        ConfigCase{"SecondMainSectionAddsItsEntries",
                   "[Main]\nSimObjectPaths.0=A\n[Display]\n[MAIN]\nSimObjectPaths.1=B\n",
                   {"A", "B"}},
        ConfigCase{"EmptyValueKeepsTheCountGoing",
                   "[Main]\nSimObjectPaths.0=\nSimObjectPaths.1=B\n",
                   {"B"}},
        ConfigCase{"OtherSpellingsOfTheNumberAreOtherKeys",
                   "[Main]\nSimObjectPaths.0=A\nSimObjectPaths.01=X\nSimObjectPaths.+1=Y\n"
                   "SimObjectPaths.1x=Z\nSimObjectPaths=W\n",
                   {"A"}},
        ConfigCase{
            "LineWithoutEqualsIgnored", "[Main]\nSimObjectPaths.0\nSimObjectPaths.0=A\n", {"A"}},
        ConfigCase{"ByteOrderMarkIgnored", "\xEF\xBB\xBF[Main]\nSimObjectPaths.0=A\n", {"A"}},
        ConfigCase{"LongLine", "[Main]\r\nSimObjectPaths.0=" + kLongPath + "\r\n", {kLongPath}},
        ConfigCase{"HeaderWithoutClosingBracketEndsMain",
                   "[Main]\nSimObjectPaths.0=A\n[Main\nSimObjectPaths.1=B\n",
                   {"A"}},
        ConfigCase{"StrayCarriageReturnIsABlank", "\r[Main]\n\rSimObjectPaths.0=A\n", {"A"}},
        ConfigCase{"EmptyFile", "", {}}),
    RowName{});

}  // namespace
}  // namespace cirrowisp
