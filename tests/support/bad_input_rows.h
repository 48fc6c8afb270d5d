#pragma once

// Bad input as a user meets it (odd simulator folders, odd aircraft files and folders), one
// table that both front ends run: the command line as a child process, with --verbose
// (bad_input_test.cpp), and the dialogs' Start sequence (start_bad_input_test.cpp). Each row
// says how each front end ends and what the tree holds afterwards.
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
// run's summary, or a file error; and the texts its messages must hold besides ("{root}"
// stands for the tree's folder).
struct FrontEndEnding {
    Ends ends;
    ScanTotals totals = {};
    std::vector<std::string> says = {};
};

struct BadInputRow {
    const char* name;
    void (*build)(const testing::TempTree&);
    std::string folder;  // the simulator folder given, "{root}" for the tree's folder
    bool flyable;
    FrontEndEnding cli;
    FrontEndEnding start;
    // Checks what the tree holds after either front end; null: it is as it was built.
    void (*after)(const testing::TempTree&) = nullptr;
};

// `text` with "{root}" replaced by the tree's folder.
inline std::string inTree(const testing::TempTree& tree, std::string text) {
    for (std::size_t at; (at = text.find("{root}")) != std::string::npos;)
        text.replace(at, 6, tree.path());
    return text;
}

inline const std::string kBadInputAirplanes = "sim/SimObjects/Airplanes/";

inline void oneJet(const testing::TempTree& tree) {
    tree.write(kBadInputAirplanes + "Jet/aircraft.cfg", kJet);
}

inline void jetPatched(const testing::TempTree& tree) {
    EXPECT_EQ(tree.read(kBadInputAirplanes + "Jet/aircraft.cfg"), patched(kJet));
    EXPECT_EQ(tree.read(kBadInputAirplanes + "Jet/without_contrails_aircraft.cfg"), kJet);
}

inline void nothing(const testing::TempTree&) {}

// A panel link that leads nowhere.
inline void danglingPanel(const testing::TempTree& tree) {
    tree.write(kBadInputAirplanes + "Player/aircraft.cfg", kJet);
    std::filesystem::create_symlink(tree.root() / "nowhere",
                                    tree.root() / (kBadInputAirplanes + "Player/panel"));
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
    const FrontEndEnding finishedWithNothing{Ends::finished};
    const FrontEndEnding oneJetTreated{Ends::finished, kOneJet};
    const auto notAFolder = [](const char* path) {
        return FrontEndEnding{
            Ends::refused,
            {},
            {"'{root}/" + std::string(path) + "' does not exist or is not a folder"}};
    };
    const FrontEndEnding backupTaken{
        Ends::failed, {}, {"without_contrails_aircraft.cfg", "File exists"}};
    const std::string linkedJet = "{root}/" + kBadInputAirplanes + "Jet: ";
    static const std::vector<BadInputRow> rows = {
        // The dialog has no rule for a folder that is not there: the run finds nothing.
        {"MissingFolder", nothing, "{root}/no/such/folder", false, notAFolder("no/such/folder"),
         finishedWithNothing},
        {"FolderIsAFile", [](const TempTree& tree) { tree.write("sim", "a file"); }, "{root}/sim",
         false, notAFolder("sim"), finishedWithNothing},
        {"FolderBelowAFile", [](const TempTree& tree) { tree.write("afile", "not a folder"); },
         "{root}/afile/sim", false, notAFolder("afile/sim"), finishedWithNothing},
        // The dialog has no rule for an empty field: the run looks below the root of the disk.
        {"EmptyPath", nothing, "", false, {Ends::refused, {}, {"empty"}}, finishedWithNothing},
        {"FolderWithoutAircraftFolders",
         [](const TempTree& tree) { tree.write("sim/readme.txt", "not a simulator"); },
         "{root}/sim",
         false,
         {Ends::finished,
          {},
          {"warning: none of the aircraft folders looked for exists",
           "{root}/sim/SimObjects/Airplanes\n", "{root}/sim/MyTraffic/Aircraft\n"}},
         finishedWithNothing},
        {"TrailingSlash", oneJet, "{root}/sim/", false, oneJetTreated, oneJetTreated, jetPatched},
        {"TrailingSlashes", oneJet, "{root}/sim//", false, oneJetTreated, oneJetTreated,
         jetPatched},
        {"TrailingBackslash", oneJet, "{root}/sim\\", false, oneJetTreated, oneJetTreated,
         jetPatched},
        {"TrailingDot", oneJet, "{root}/sim/.", false, oneJetTreated, oneJetTreated, jetPatched},
        // Rewritten as text, its backup byte for byte the original.
        {"BinaryFile",
         [](const TempTree& tree) {
             tree.write(kBadInputAirplanes + "Bin/aircraft.cfg", binaryAircraft());
         },
         "{root}/sim", false, oneJetTreated, oneJetTreated,
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
         "{root}/sim", false, oneJetTreated, oneJetTreated,
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
         "{root}/sim", false, backupTaken, backupTaken},
        // A panel link that leads nowhere still marks the aircraft as flyable.
        {"DanglingPanelLinkLeftOutUnlessFlyable", danglingPanel, "{root}/sim", false,
         finishedWithNothing, finishedWithNothing},
        {"DanglingPanelLinkTreatedWithFlyable",
         danglingPanel,
         "{root}/sim",
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
         "{root}/sim", false, oneJetTreated, oneJetTreated,
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
         "{root}/sim",
         false,
         {Ends::finished, kOneJet, {linkedJet, linkReason(kBackupFileName)}},
         {Ends::finished, kOneJet, {linkedJet + linkReason(kBackupFileName)}},
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
         "{root}/sim",
         false,
         {Ends::finished, {2, 0, 2, 2}, {kLatinName}},
         {Ends::finished, {2, 0, 2, 2}},
         [](const TempTree& tree) {
             for (const std::string& name : {kLatinName, kJapaneseName})
                 EXPECT_EQ(tree.read(kBadInputAirplanes + name + "/aircraft.cfg"), patched(kJet));
         }},
    };
    return rows;
}

// Names the row in test output, instead of a dump of its bytes.
inline void PrintTo(const BadInputRow& row, std::ostream* out) {
    *out << row.name;
}

}  // namespace cirrowisp
