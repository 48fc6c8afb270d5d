#pragma once

// Bad input as a user meets it (odd simulator folders, odd aircraft files and folders), one
// table that both front ends run: the command line as a child process (bad_input_test.cpp)
// (with --verbose) and the dialogs' Start sequence (start_bad_input_test.cpp). Each row says
// how each front end ends and what the tree holds afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "patcher/aircraft_folders.h"
#include "patcher/aircraft_scan.h"
#include "tests/support/samples.h"
#include "tests/support/temp_tree.h"

namespace cirrowisp {

enum class Ends { refused, finished, failed };

// How one front end ends a row: refused before the run (the command line's usage error), the
// run's summary, or a file error; and what its messages must say besides.
struct FrontEndEnding {
    Ends ends;
    ScanTotals totals = {};
    std::vector<std::string> (*says)(const testing::TempTree&) = nullptr;
};

struct BadInputRow {
    const char* name;
    void (*build)(const testing::TempTree&);
    std::string (*folder)(const testing::TempTree&);  // the simulator folder given
    bool flyable;
    FrontEndEnding cli;
    FrontEndEnding start;
    // Checks what the tree holds after either front end; null: it is as it was built.
    void (*after)(const testing::TempTree&) = nullptr;
};

inline const std::string kBadInputAirplanes = "sim/SimObjects/Airplanes/";

inline std::string simFolder(const testing::TempTree& tree) {
    return tree.path("sim");
}

inline void oneJet(const testing::TempTree& tree) {
    tree.write(kBadInputAirplanes + "Jet/aircraft.cfg", kJet);
}

inline void jetPatched(const testing::TempTree& tree) {
    EXPECT_EQ(tree.read(kBadInputAirplanes + "Jet/aircraft.cfg"), patched(kJet));
    EXPECT_EQ(tree.read(kBadInputAirplanes + "Jet/without_contrails_aircraft.cfg"), kJet);
}

// The command line's refusal of a simulator folder that is not one.
inline std::vector<std::string> notAFolder(const std::string& path) {
    return {"'" + path + "' does not exist or is not a folder"};
}

// Every byte value, NULs and a header cut by one, after an ordinary jet.
inline std::string binaryAircraft() {
    std::string binary = kJet;
    for (int byte = 0; byte < 256; ++byte) binary += static_cast<char>(byte);
    return binary + std::string("\0\0\0[effects]\0\r\n", 16) + "wake=1\r\n[x]\r\n";
}

// "Café" in Windows-1252 and "ソラ" in Shift-JIS, as those code pages store them: not UTF-8,
// and the second byte of "ソ" is 0x5C, the code of a backslash.
inline const std::string kLatinName = "Caf\xe9";
inline const std::string kJapaneseName = "\x83\x5c\x83\x89";

inline const std::vector<BadInputRow>& badInputRows() {
    using testing::TempTree;
    constexpr ScanTotals kOneJet{1, 0, 1, 1};
    static const std::vector<BadInputRow> rows = {
        // The dialog has no rule for a folder that is not there: the run finds nothing.
        {"MissingFolder",
         [](const TempTree&) {},
         [](const TempTree& tree) { return tree.path("no/such/folder"); },
         false,
         {Ends::refused,
          {},
          [](const TempTree& t) { return notAFolder(t.path("no/such/folder")); }},
         {Ends::finished}},
        {"FolderIsAFile",
         [](const TempTree& tree) { tree.write("sim", "a file"); },
         simFolder,
         false,
         {Ends::refused, {}, [](const TempTree& t) { return notAFolder(t.path("sim")); }},
         {Ends::finished}},
        {"FolderBelowAFile",
         [](const TempTree& tree) { tree.write("afile", "not a folder"); },
         [](const TempTree& tree) { return tree.path("afile/sim"); },
         false,
         {Ends::refused, {}, [](const TempTree& t) { return notAFolder(t.path("afile/sim")); }},
         {Ends::finished}},
        // The dialog has no rule for an empty field: the run looks below the root of the disk.
        {"EmptyPath",
         [](const TempTree&) {},
         [](const TempTree&) { return std::string(); },
         false,
         {Ends::refused, {}, [](const TempTree&) { return std::vector<std::string>{"empty"}; }},
         {Ends::finished}},
        {"FolderWithoutAircraftFolders",
         [](const TempTree& tree) { tree.write("sim/readme.txt", "not a simulator"); },
         simFolder,
         false,
         {Ends::finished,
          {},
          [](const TempTree& t) {
              return std::vector<std::string>{
                  "warning: none of the aircraft folders looked for exists",
                  t.path("sim") + "/SimObjects/Airplanes\n",
                  t.path("sim") + "/MyTraffic/Aircraft\n"};
          }},
         {Ends::finished}},
        {"TrailingSlash",
         oneJet,
         [](const TempTree& t) { return t.path("sim") + "/"; },
         false,
         {Ends::finished, kOneJet},
         {Ends::finished, kOneJet},
         jetPatched},
        {"TrailingSlashes",
         oneJet,
         [](const TempTree& t) { return t.path("sim") + "//"; },
         false,
         {Ends::finished, kOneJet},
         {Ends::finished, kOneJet},
         jetPatched},
        {"TrailingBackslash",
         oneJet,
         [](const TempTree& t) { return t.path("sim") + "\\"; },
         false,
         {Ends::finished, kOneJet},
         {Ends::finished, kOneJet},
         jetPatched},
        {"TrailingDot",
         oneJet,
         [](const TempTree& t) { return t.path("sim") + "/."; },
         false,
         {Ends::finished, kOneJet},
         {Ends::finished, kOneJet},
         jetPatched},
        // Rewritten as text, its backup byte for byte the original.
        {"BinaryFile",
         [](const TempTree& tree) {
             tree.write(kBadInputAirplanes + "Bin/aircraft.cfg", binaryAircraft());
         },
         simFolder,
         false,
         {Ends::finished, kOneJet},
         {Ends::finished, kOneJet},
         [](const TempTree& tree) {
             EXPECT_EQ(tree.read(kBadInputAirplanes + "Bin/without_contrails_aircraft.cfg"),
                       binaryAircraft());
             EXPECT_EQ(tree.read(kBadInputAirplanes + "Bin/aircraft.cfg"),
                       patched(binaryAircraft()));
         }},
        {"AircraftFileIsAFolder",
         [](const TempTree& tree) {
             tree.folder(kBadInputAirplanes + "Odd/aircraft.cfg");
             oneJet(tree);
         },
         simFolder,
         false,
         {Ends::finished, kOneJet},
         {Ends::finished, kOneJet},
         [](const TempTree& tree) {
             jetPatched(tree);
             EXPECT_TRUE(std::filesystem::is_directory(tree.root() /
                                                       (kBadInputAirplanes + "Odd/aircraft.cfg")));
             EXPECT_FALSE(tree.exists(kBadInputAirplanes + "Odd/without_contrails_aircraft.cfg"));
             EXPECT_FALSE(tree.exists(kBadInputAirplanes + "Odd/new_aircraft.cfg"));
         }},
        // A folder standing where the backup goes: the run ends on that file, changing nothing.
        {"BackupNameTakenByAFolder",
         [](const TempTree& tree) {
             oneJet(tree);
             tree.folder(kBadInputAirplanes + "Jet/without_contrails_aircraft.cfg");
         },
         simFolder,
         false,
         {Ends::failed,
          {},
          [](const TempTree&) {
              return std::vector<std::string>{"without_contrails_aircraft.cfg", "File exists"};
          }},
         {Ends::failed,
          {},
          [](const TempTree&) {
              return std::vector<std::string>{"without_contrails_aircraft.cfg", "File exists"};
          }}},
        // A panel link that leads nowhere still marks the aircraft as flyable.
        {"DanglingPanelLinkLeftOutUnlessFlyable",
         [](const TempTree& tree) {
             tree.write(kBadInputAirplanes + "Player/aircraft.cfg", kJet);
             std::filesystem::create_symlink(tree.root() / "nowhere",
                                             tree.root() / (kBadInputAirplanes + "Player/panel"));
         },
         simFolder,
         false,
         {Ends::finished},
         {Ends::finished}},
        {"DanglingPanelLinkTreatedWithFlyable",
         [](const TempTree& tree) {
             tree.write(kBadInputAirplanes + "Player/aircraft.cfg", kJet);
             std::filesystem::create_symlink(tree.root() / "nowhere",
                                             tree.root() / (kBadInputAirplanes + "Player/panel"));
         },
         simFolder,
         true,
         {Ends::finished, {0, 1, 1, 1}},
         {Ends::finished, {0, 1, 1, 1}},
         [](const TempTree& tree) {
             EXPECT_EQ(tree.read(kBadInputAirplanes + "Player/aircraft.cfg"), patched(kJet));
         }},
        // An aircraft folder linked from elsewhere is followed; the link stays a link.
        {"AircraftFolderLinkedFromElsewhere",
         [](const TempTree& tree) {
             tree.write("elsewhere/Jet/aircraft.cfg", kJet);
             tree.folder(kBadInputAirplanes);
             std::filesystem::create_directory_symlink(tree.root() / "elsewhere/Jet",
                                                       tree.root() / (kBadInputAirplanes + "Jet"));
         },
         simFolder,
         false,
         {Ends::finished, kOneJet},
         {Ends::finished, kOneJet},
         [](const TempTree& tree) {
             EXPECT_EQ(tree.read("elsewhere/Jet/aircraft.cfg"), patched(kJet));
             EXPECT_EQ(tree.read("elsewhere/Jet/without_contrails_aircraft.cfg"), kJet);
             EXPECT_TRUE(std::filesystem::is_symlink(tree.root() / (kBadInputAirplanes + "Jet")));
         }},
        // A backup that is a link is not ours: that folder is left alone and named.
        {"LinkedBackupLeavesItsFolderAloneAndNamed",
         [](const TempTree& tree) {
             tree.write("home/.bashrc", "not an aircraft file\n");
             oneJet(tree);
             tree.write(kBadInputAirplanes + "Prop/aircraft.cfg", kJet);
             std::filesystem::create_symlink(
                 tree.root() / "home/.bashrc",
                 tree.root() / (kBadInputAirplanes + "Jet/without_contrails_aircraft.cfg"));
         },
         simFolder,
         false,
         {Ends::finished, kOneJet,
          [](const TempTree& t) {
              return std::vector<std::string>{t.path(kBadInputAirplanes + "Jet") + ": ",
                                              linkReason(kBackupFileName)};
          }},
         {Ends::finished, kOneJet,
          [](const TempTree& t) {
              return std::vector<std::string>{t.path(kBadInputAirplanes + "Jet") + ": " +
                                              linkReason(kBackupFileName)};
          }},
         [](const TempTree& tree) {
             EXPECT_EQ(tree.read(kBadInputAirplanes + "Jet/aircraft.cfg"), kJet);
             EXPECT_EQ(tree.read("home/.bashrc"), "not an aircraft file\n");
             EXPECT_EQ(tree.read(kBadInputAirplanes + "Prop/aircraft.cfg"), patched(kJet));
         }},
        {"CodePageFolderNames",
         [](const TempTree& tree) {
             tree.write(kBadInputAirplanes + kLatinName + "/aircraft.cfg", kJet);
             tree.write(kBadInputAirplanes + kJapaneseName + "/aircraft.cfg", kJet);
         },
         simFolder,
         false,
         {Ends::finished,
          {2, 0, 2, 2},
          [](const TempTree&) { return std::vector<std::string>{kLatinName}; }},
         {Ends::finished, {2, 0, 2, 2}},
         [](const TempTree& tree) {
             EXPECT_EQ(tree.read(kBadInputAirplanes + kLatinName + "/aircraft.cfg"), patched(kJet));
             EXPECT_EQ(tree.read(kBadInputAirplanes + kJapaneseName + "/aircraft.cfg"),
                       patched(kJet));
         }},
    };
    return rows;
}

// Names the row in test output, instead of a dump of its bytes.
inline void PrintTo(const BadInputRow& row, std::ostream* out) {
    *out << row.name;
}

}  // namespace cirrowisp
