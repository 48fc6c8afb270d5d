#include "platform/wine_prefix_registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "patcher/simulator_location.h"
#include "platform/host_registry.h"
#include "platform/simulator_config.h"
#include "tests/support/named_rows.h"
#include "tests/support/repeated.h"
#include "tests/support/scoped_env.h"

namespace cirrowisp {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
const std::string kWowKey =
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] "
    "1700000000\n#time=1da0000000000000\n";
const std::string kPlainKey =
    "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] 1700000000\n";

std::string arch(const char* name) {
    return std::string("#arch=") + name + "\n\n";
}

// A throw-away Wine prefix: drive_c behind dosdevices/c:, as wineboot lays it out.
class WinePrefix : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "cirrowisp-wine-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        prefix_ = fs::path(pattern);
        fs::create_directories(prefix_ / "dosdevices");
        fs::create_directories(prefix_ / "drive_c" / "FSX");
        fs::create_directories(prefix_ / "drive_c" / "Program Files (x86)" / "Microsoft Games");
        fs::create_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
        fs::create_symlink("/", prefix_ / "dosdevices" / "z:");
        SimulatorPathLookup::reset();
    }
    void TearDown() override {
        fs::remove_all(prefix_);
        SimulatorPathLookup::reset();
    }

    void writeSystemReg(const std::string& content) {
        std::ofstream(prefix_ / "system.reg", std::ios::binary) << content;
    }
    std::string inPrefix(const std::string& relative) const {
        return (prefix_ / relative).string();
    }

    fs::path prefix_;
};

// One system.reg and the path a lookup through it finds: relative to the prefix, absolute, or
// empty for a failed lookup.
using RegRow = TextRow<std::string>;

class WineLookup : public WinePrefix, public ::testing::WithParamInterface<RegRow> {};

TEST_P(WineLookup, FindsTheSetupPathOrFailsQuietly) {
    const RegRow& row = GetParam();
    writeSystemReg(row.text);
    WinePrefixRegistry registry(prefix_);
    const int result = SimulatorPathLookup::lookupSimulatorPath(registry);
    if (row.yields.empty()) {
        EXPECT_EQ(result, 13);
        EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), ".\\Aircraft\\");
    } else {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(SimulatorPathLookup::lastKnownPath(),
                  row.yields.front() == '/' ? row.yields : inPrefix(row.yields));
    }
}

const std::string kSetupFsx = "\"SetupPath\"=\"C:\\\\FSX\\\\\"\n";

INSTANTIATE_TEST_SUITE_P(
    SystemReg, WineLookup,
    ::testing::Values(
        // Which key a 32-bit program sees depends on the prefix's architecture.
        RegRow{"Win64PrefixUsesWow6432Node", kHeader + arch("win64") + kWowKey + kSetupFsx,
               "drive_c/FSX/"},
        RegRow{"Win32PrefixUsesPlainKey", kHeader + arch("win32") + kPlainKey + kSetupFsx,
               "drive_c/FSX/"},
        RegRow{"Win64PrefixIgnoresPlainKey", kHeader + arch("win64") + kPlainKey + kSetupFsx, ""},
        RegRow{"Win32PrefixIgnoresWow6432Node", kHeader + arch("win32") + kWowKey + kSetupFsx, ""},
        RegRow{"UnknownArchitectureTriesBoth", kHeader + kPlainKey + kSetupFsx, "drive_c/FSX/"},
        RegRow{"KeyAndValueNamesIgnoreCase",
               kHeader + arch("win64") +
                   "[SOFTWARE\\\\WOW6432NODE\\\\microsoft\\\\MICROSOFT GAMES\\\\flight "
                   "simulator\\\\10.0] 1\n\"setuppath\"=\"C:\\\\FSX\"\n",
               "drive_c/FSX"},
        RegRow{"OtherKeysAndSubkeysDoNotCount",
               kHeader + arch("win64") +
                   "[Software\\\\Wow6432Node\\\\Other] 1\n\"SetupPath\"=\"C:\\\\Wrong\"\n" +
                   kWowKey.substr(0, kWowKey.find(']')) +
                   "\\\\Sub] 1\n\"SetupPath\"=\"C:\\\\Wrong\"\n" + kWowKey +
                   "\"Other\"=\"x\"\n@=\"C:\\\\Wrong\"\n" + kSetupFsx,
               "drive_c/FSX/"},
        RegRow{"CrLfLineEnds",
               "WINE REGISTRY Version 2\r\n#arch=win64\r\n" +
                   kWowKey.substr(0, kWowKey.find('\n')) +
                   "\r\n\"SetupPath\"=\"C:\\\\FSX\\\\\"\r\n",
               "drive_c/FSX/"},
        // Escapes: \\ and \" stand for themselves, \x gives up to four hex digits of UTF-16,
        // a surrogate pair one character beyond the BMP.
        RegRow{"Escapes",
               kHeader + arch("win64") + kWowKey +
                   "\"SetupPath\"=\"C:\\\\Caf\\x00e9e \\\"\\xd83d\\xde80\\\"\\\\\"\n",
               "drive_c/Caf\xC3\xA9"
               "e \"\xF0\x9F\x9A\x80\"/"},
        RegRow{"OctalAndShortHexEscapes",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:\\\\\\101\\x42\"\n",
               "drive_c/AB"},
        RegRow{"ExpandableStringTakenUnexpanded",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=str(2):\"C:\\\\FSX\"\n",
               "drive_c/FSX"},
        RegRow{
            "PathComponentsTakeTheirCaseOnDisk",
            kHeader + arch("win64") + kWowKey +
                "\"SetupPath\"=\"c:\\\\PROGRAM FILES (X86)\\\\microsoft games\\\\Missing\\\\\"\n",
            "drive_c/Program Files (x86)/Microsoft Games/Missing/"},
        RegRow{"DriveMappedToAnAbsoluteLink",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"Z:\\\\tmp\\\\\"\n", "/tmp/"},
        RegRow{"LongestValueThatFits",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:\\\\" +
                   std::string(252, 'a') + "\"\n",
               "drive_c/" + std::string(252, 'a')},
        // Without its NUL the value would still fit; with it, it is one byte too many.
        RegRow{"ValueOf256Bytes",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:\\\\" +
                   std::string(253, 'a') + "\"\n",
               ""},
        // The buffer counts UTF-16 units: 255 Cyrillic letters fit, as they do on Windows.
        RegRow{"CyrillicValueOf255Characters",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:\\\\" +
                   repeated("\\x0416", 252) + "\"\n",
               "drive_c/" + repeated("\xD0\x96", 252)},
        RegRow{"CyrillicValueOf256Characters",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:\\\\" +
                   repeated("\\x0416", 253) + "\"\n",
               ""},
        RegRow{"UnmappedDrive", kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"D:\\\\FSX\"\n",
               ""},
        RegRow{"RelativePath", kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\".\\\\FSX\"\n",
               ""},
        RegRow{"DriveRelativePath", kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:FSX\"\n",
               ""},
        RegRow{"HexDataRefused",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=hex(2):43,00,3a,00,5c,00,00,00\n",
               ""},
        RegRow{"DwordRefused", kHeader + arch("win64") + kWowKey + "\"SetupPath\"=dword:00000001\n",
               ""},
        RegRow{"UnterminatedString",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:\\\\FSX\n", ""},
        RegRow{"TrailingJunk",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:\\\\FSX\" x\n", ""},
        RegRow{"LoneSurrogate",
               kHeader + arch("win64") + kWowKey + "\"SetupPath\"=\"C:\\\\\\xd83dx\"\n", ""},
        RegRow{"KeyWithoutValue", kHeader + arch("win64") + kWowKey, ""},
        RegRow{"NotARegistryFile", arch("win64") + kWowKey + kSetupFsx, ""},
        RegRow{"EmptyFile", "", ""}),
    RowName{});

TEST_F(WinePrefix, NoSystemRegOrNoPrefixFailsQuietly) {
    WinePrefixRegistry missingFile(prefix_);
    EXPECT_EQ(SimulatorPathLookup::lookupSimulatorPath(missingFile), 13);

    writeSystemReg(kHeader + arch("win64") + kWowKey + kSetupFsx);
    WinePrefixRegistry noPrefix{fs::path()};
    EXPECT_EQ(SimulatorPathLookup::lookupSimulatorPath(noPrefix), 13);
    EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), ".\\Aircraft\\");
}

TEST_F(WinePrefix, DefaultPrefixFollowsWine) {
    {
        ScopedEnv prefix("WINEPREFIX", "/somewhere/prefix");
        EXPECT_EQ(WinePrefixRegistry::defaultPrefix(), fs::path("/somewhere/prefix"));
    }
    ScopedEnv home("HOME", "/home/pilot");
    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        ScopedEnv prefix("WINEPREFIX", unset);
        EXPECT_EQ(WinePrefixRegistry::defaultPrefix(), fs::path("/home/pilot/.wine"));
    }
    ScopedEnv noHome("HOME", nullptr);
    ScopedEnv noPrefix("WINEPREFIX", nullptr);
    EXPECT_TRUE(WinePrefixRegistry::defaultPrefix().empty());
}

TEST_F(WinePrefix, HostLookupReadsThePrefixNamedByWinePrefix) {
    writeSystemReg(kHeader + arch("win64") + kWowKey + kSetupFsx);
    {
        ScopedEnv missing("WINEPREFIX", inPrefix("missing").c_str());
        EXPECT_EQ(lookupSimulatorPath(), 13);
        EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), ".\\Aircraft\\");
    }
    ScopedEnv prefix("WINEPREFIX", prefix_.c_str());
    EXPECT_EQ(lookupSimulatorPath(), 0);
    EXPECT_EQ(SimulatorPathLookup::lastKnownPath(), inPrefix("drive_c/FSX/"));
}

// fsx.cfg in the user's roaming folder, whose name depends on the Wine version; its drive
// paths lead into the prefix, or to where Wine would look for a drive it does not have.
TEST_F(WinePrefix, SimulatorConfigIsFoundAndItsDrivePathsMapped) {
    ScopedEnv prefix("WINEPREFIX", prefix_.c_str());
    for (const char* roaming : {"Application Data", "AppData/Roaming"}) {
        SCOPED_TRACE(roaming);
        const std::vector<std::string> candidates = simulatorConfigCandidates();
        ASSERT_EQ(candidates.size(), 2u);
        // The user's folder: above "Application Data/Microsoft/FSX/fsx.cfg".
        const fs::path user =
            fs::path(candidates[1]).parent_path().parent_path().parent_path().parent_path();
        EXPECT_EQ(user.parent_path(), prefix_ / "drive_c" / "users");
        const fs::path config = user / roaming / "Microsoft" / "FSX" / "fsx.cfg";
        fs::create_directories(config.parent_path());
        std::ofstream(config, std::ios::binary)
            << "[Main]\r\nSimObjectPaths.0=C:\\FSX\r\nSimObjectPaths.1=d:\\AI\\Aircraft\r\n"
               "SimObjectPaths.2=SimObjects\\Rotorcraft\r\n";
        EXPECT_EQ(simulatorConfigFile(), config.string());
        EXPECT_EQ(listedAircraftFolders(config.string()),
                  (std::vector<std::string>{inPrefix("drive_c/FSX"),
                                            inPrefix("dosdevices/d:/AI/Aircraft"),
                                            "SimObjects\\Rotorcraft"}));
    }
}

}  // namespace
}  // namespace cirrowisp
