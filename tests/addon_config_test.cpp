#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patcher/addon_config.h"
#include "patcher/simobject_paths.h"
#include "tests/support/named_rows.h"
#include "tests/support/samples.h"

namespace cirrowisp {
namespace {

std::string utf16(const std::string& text, bool little) {
    return inEncoding(text, little ? TextEncoding::utf16Little : TextEncoding::utf16Big);
}

TEST(ConfigText, Utf16InEitherOrderReadsAsTheSameText) {
    const std::string text = "[Main]\r\nSimObjectPaths.0=AI \xC3\xA9t\xC3\xA9\r\n";
    std::string little = "\xFF\xFE";
    for (const char16_t unit : u"[Main]\r\nSimObjectPaths.0=AI \u00e9t\u00e9\r\n") {
        if (unit != 0) {
            little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        }
    }
    EXPECT_EQ(configTextAsUtf8(little), text);
    EXPECT_EQ(configTextAsUtf8(utf16("[Main]\nX=1\n", false)), "[Main]\nX=1\n");
    EXPECT_EQ(configTextAsUtf8("\xEF\xBB\xBFX=1"), "X=1");
    EXPECT_EQ(readSimObjectPaths(little), std::vector<std::string>{"AI \xC3\xA9t\xC3\xA9"});
}

// Yields, for simobjects.cfg: the paths; for add-ons.cfg: see below.
using ListCase = TextRow<std::vector<std::string>>;

class SimObjectsEntries : public ::testing::TestWithParam<ListCase> {};

TEST_P(SimObjectsEntries, ListsTheActiveEntries) {
    EXPECT_EQ(readSimObjectsEntries(GetParam().text), GetParam().yields);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SimObjectsEntries,
    ::testing::Values(
        ListCase{
            "DefaultInstall",
            "[Entry.0]\r\nTitle=Airplanes\r\nPath=SimObjects\\Airplanes\r\nRequired=False\r\n"
            "Active=True\r\n\r\n[Entry.1]\r\nTitle=Rotorcraft\r\nPath=SimObjects\\Rotorcraft\r\n",
            {"SimObjects\\Airplanes", "SimObjects\\Rotorcraft"}},
        ListCase{"HeaderWithoutClosingBracketNamesNoSection",
                 "[Entry.0]\nPath=A\n[Entry.1\nPath=B\n",
                 {"A"}},
        ListCase{"InactiveInAnyCaseLeftOut",
                 "[Entry.0]\nPath=A\nActive=FALSE\n[Entry.1]\nPath=B\nactive=false\n"
                 "[Entry.2]\nPath=C\nACTIVE= False \n[Entry.3]\nPath=D\nActive=no\n",
                 {"D"}},
        ListCase{"NamesInAnyCase", "[ENTRY.0]\nPATH=A\n[entry.1]\npath=B\n", {"A", "B"}},
        ListCase{"AbsoluteAndSharePathsAsWritten",
                 "[Entry.0]\nPath=D:\\AI Traffic\\Aircraft\n[Entry.1]\nPath=\\\\host\\ai\n"
                 "[Entry.2]\nPath=\"E:\\My Planes\"\n",
                 {"D:\\AI Traffic\\Aircraft", "\\\\host\\ai", "E:\\My Planes"}},
        ListCase{"NumberOrderAndGapsDoNotEndTheList",
                 "[Entry.7]\nPath=Last\n[Entry.0]\nPath=First\n[Entry.3]\nPath=Middle\n",
                 {"First", "Middle", "Last"}},
        ListCase{"OtherSectionsAndCommentsIgnored",
                 "[General]\nPath=G\n[Entry]\nPath=NoNumber\n[Entry.x]\nPath=X\n"
                 "[Entry.0]\n;Path=Old\nPath=New\n[Entry.1]\nTitle=Without a path\n",
                 {"New"}},
        ListCase{"Utf8MarkAndUtf16", "\xEF\xBB\xBF[Entry.0]\nPath=A\n", {"A"}},
        ListCase{"Utf16LittleEndian", utf16("[Entry.0]\r\nPath=A\r\n", true), {"A"}},
        ListCase{"EmptyFile", "", {}}),
    RowName{});

// An add-ons.cfg row's folders: each package as "+path" (on) or "-path" (off), then each
// discovery path as "?path".
std::vector<std::string> flatten(const AddOnsList& list) {
    std::vector<std::string> out;
    for (const AddOnPackage& package : list.packages) {
        out.push_back((package.active ? "+" : "-") + package.path);
    }
    for (const std::string& path : list.discoveryPaths) {
        out.push_back("?" + path);
    }
    return out;
}

class AddOnsListReader : public ::testing::TestWithParam<ListCase> {};

TEST_P(AddOnsListReader, ListsPackagesAndDiscoveryPaths) {
    EXPECT_EQ(flatten(readAddOnsList(GetParam().text)), GetParam().yields);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AddOnsListReader,
    ::testing::Values(
        ListCase{"AsTheSimulatorWritesIt",
                 "\xEF\xBB\xBF[Package.0]\r\nPATH=C:\\Add-ons\\Skua 767\r\nTITLE=Skua 767\r\n"
                 "ACTIVE=true\r\nREQUIRED=false\r\n[DiscoveryPath.0]\r\nPATH=D:\\P3D Add-ons\r\n"
                 "TITLE=More\r\nACTIVE=true\r\n",
                 {"+C:\\Add-ons\\Skua 767", "?D:\\P3D Add-ons"}},
        ListCase{"SwitchedOffPackageKeptSoDiscoveryCanSkipIt",
                 "[Package.0]\nPath=A\nActive=False\n[Package.1]\nPath=B\n",
                 {"-A", "+B"}},
        ListCase{"SwitchedOffDiscoveryPathNotSearched",
                 "[DiscoveryPath.0]\nPath=A\nActive=FALSE\n[DiscoveryPath.1]\nPath=B\n",
                 {"?B"}},
        ListCase{"GapsAndOrder",
                 "[Package.5]\nPath=Five\n[Package.0]\nPath=Zero\n[discoverypath.9]\nPath=D\n",
                 {"+Zero", "+Five", "?D"}},
        ListCase{
            "RelativePathAsWritten", "[Package.0]\nPath=Add-ons\\Local\n", {"+Add-ons\\Local"}},
        ListCase{"Utf16BigEndian", utf16("[Package.0]\nPath=A\n", false), {"+A"}},
        ListCase{"NotAnAddOnsFile", "<?xml version=\"1.0\"?><Package.0/>\n", {}}),
    RowName{});

}  // namespace
}  // namespace cirrowisp
