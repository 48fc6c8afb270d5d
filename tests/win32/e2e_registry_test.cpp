// The setup path registered: the path field, refusals, real runs over a sample tree, a restore
// from the system menu, a file error: the registry mode.

#include <cstdio>
#include <filesystem>

#include "tests/support/disk_tree.h"
#include "tests/win32/e2e_program.h"

namespace cirrowisp::e2e {
namespace {

// The registry mode's folders are plain ASCII: narrow paths reach them.
namespace fs = std::filesystem;

const char kJetInput[] =
    "[fltsim.0]\r\ntitle=Sample\r\n\r\n[GeneralEngineData]\r\nengine_type = "
    "1\r\nmin_throttle_limit=-0.25\r\n\r\n"
    "[effects]\r\nwake=fx_wake\r\n\r\n[flight_tuning]\r\ncruise_lift_scalar=1.0\r\n";
const char kJetOutput[] =
    "\r\n[fltsim.0]\r\ntitle=Sample\r\n\r\n[GeneralEngineData]\r\nengine_type = "
    "1\r\nmin_throttle_limit=-0.25\r\n"
    "max_contrail_temperature=-27\r\n\r\n[effects]\r\nwake=fx_wake\r\ncontrail=fx_Cirrowisp\r\n\r\n"
    "[flight_tuning]\r\ncruise_lift_scalar=1.0\r\n";
// A piston aircraft is not selected by default: its contrail goes, its temperature stays.
const char kPistonInput[] =
    "[fltsim.0]\ntitle=Piston "
    "sample\n\n[GeneralEngineData]\nengine_type=0\nmax_contrail_temperature=-10\n\n"
    "[effects]\ncontrail=fx_old\n\n[flight_tuning]\ncruise_lift_scalar=1.0\n";
const char kPistonOutput[] =
    "\r\n[fltsim.0]\r\ntitle=Piston sample\r\n\r\n[GeneralEngineData]\r\nengine_type=0\r\n"
    "max_contrail_temperature=-10\r\n\r\n[effects]\r\n\r\n[flight_tuning]\r\ncruise_lift_scalar=1."
    "0\r\n";
const char kFlyableInput[] =
    "[fltsim.0]\r\ntitle=Flyable\r\n[GeneralEngineData]\r\nengine_type=1\r\n";

void makeSampleTree(const std::string& root) {
    fs::remove_all(root);
    fs::create_directories(root + "\\SimObjects\\Airplanes\\Flyer\\panel");
    writeFile(root + "\\SimObjects\\Airplanes\\Jet\\aircraft.cfg", kJetInput);
    writeFile(root + "\\SimObjects\\Airplanes\\Flyer\\aircraft.cfg", kFlyableInput);
    writeFile(root + "\\MyTraffic\\Aircraft\\Piston\\aircraft.cfg", kPistonInput);
}

void expectFile(const std::string& path, const std::string& wanted, const std::string& name) {
    ASSERT_TRUE(fs::exists(path)) << name << ": missing";
    EXPECT_EQ(readFile(path), wanted) << name;
}

class Registry : public ProgramTest {
protected:
    static void SetUpTestSuite() {
        if (arguments.mode != "registry")
            return;
        fs::create_directories(scratch());
        makeSampleTree(root());
        start(app, arguments.exe, scratch());
    }
    void SetUp() override { need("registry"); }
    static const std::string& root() { return arguments.narrow[0]; }
    static const std::string& scratch() { return arguments.narrow[1]; }

    void expectRun(const ScanTotals& totals) {
        clickStart(app);
        const MessageBoxSeen box = answerMessageBox(app);
        EXPECT_TRUE(box.window && box.title == L"Cirrowisp")
            << narrow(box.title) << " / " << narrow(box.text);
        EXPECT_EQ(narrow(box.text), summaryText(totals)) << "summary box equals summaryText";
        const std::string air = root() + "\\SimObjects\\Airplanes\\";
        const std::string traffic = root() + "\\MyTraffic\\Aircraft\\";
        expectFile(air + "Jet\\aircraft.cfg", kJetOutput, "jet patched");
        expectFile(air + "Jet\\without_contrails_aircraft.cfg", kJetInput,
                   "jet backup is the original");
        expectFile(traffic + "Piston\\aircraft.cfg", kPistonOutput,
                   "piston contrail removed, temperature kept");
        expectFile(traffic + "Piston\\without_contrails_aircraft.cfg", kPistonInput,
                   "piston backup is the original");
        expectFile(air + "Flyer\\aircraft.cfg", kFlyableInput, "flyable aircraft left alone");
        EXPECT_TRUE(!fs::exists(air + "Flyer\\without_contrails_aircraft.cfg") &&
                    !fs::exists(air + "Jet\\new_aircraft.cfg") &&
                    !fs::exists(traffic + "Piston\\new_aircraft.cfg"))
            << "no stray backup or temporary file";
    }
};

TEST_F(Registry, PathFieldShowsTheRegisteredSetupPath) {
    EXPECT_EQ(narrow(windowText(GetDlgItem(app.dialog, IDC_SIMULATOR_PATH))), root());
}

TEST_F(Registry, TemperatureOutOfRangeIsRefusedAndTouchesNothing) {
    const struct {
        const char* name;
        const wchar_t* digits;  // typed over -27: after its minus sign, or over all of it
        bool withEnter;
    } rows[] = {{"-51 by Start", L"51", false}, {"5 by Enter", L"5", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto before = snapshotTree(root(), kFilesAndFolders);
        HWND edit = GetDlgItem(app.dialog, IDC_TEMPERATURE);
        setText(edit, L"-27");
        send(edit, EM_SETSEL, row.withEnter ? 0 : 1, -1);  // keep or replace the minus sign
        typeText(edit, row.digits);
        send(app.dialog, WM_NEXTDLGCTL,
             reinterpret_cast<WPARAM>(GetDlgItem(app.dialog, IDC_EFFECT_NAME)), TRUE);
        if (row.withEnter) {
            // Enter in an edit field goes to the default button, Start.
            PostMessageW(GetDlgItem(app.dialog, IDC_EFFECT_NAME), WM_KEYDOWN, VK_RETURN, 1);
            PostMessageW(GetDlgItem(app.dialog, IDC_EFFECT_NAME), WM_KEYUP, VK_RETURN, 0xC0000001);
        } else {
            clickStart(app);
        }
        const MessageBoxSeen box = answerMessageBox(app);
        EXPECT_TRUE(box.window && box.title == L"Cirrowisp" &&
                    box.text == L"Please enter an integer between -50 and 0.")
            << "refused with the range message: " << narrow(box.title) << " / " << narrow(box.text);
        EXPECT_TRUE(waitFor([&] { return focusOf(app) == edit; }, 5000))
            << "focus back on the temperature field";
        EXPECT_TRUE(snapshotTree(root(), kFilesAndFolders) == before) << "no file touched";
    }
}

TEST_F(Registry, FirstRunPatchesJetAndPistonAndKeepsTheOriginals) {
    setText(GetDlgItem(app.dialog, IDC_TEMPERATURE), L"-27");
    ScanTotals first;
    first.aiAircraft = 2;
    first.contrailsAdded = 1;
    first.temperaturesChanged = 1;
    expectRun(first);
}

TEST_F(Registry, SecondRunChangesNothing) {
    ScanTotals second;
    second.aiAircraft = 2;
    expectRun(second);
}

// The system menu's Restore item after the runs: it asks first, naming the folder; No changes
// nothing; Yes gives back the tree as it was before the first run (the flyable aircraft, left
// alone by the runs, included), and the summary shows in a box titled like a run's.
TEST_F(Registry, RestoreFromTheSystemMenu) {
    const auto patched = snapshotTree(root(), kFilesAndFolders);
    PostMessageW(app.dialog, WM_SYSCOMMAND, IDM_RESTORE, 0);
    MessageBoxSeen question = answerMessageBox(app, 60000, IDNO);
    EXPECT_TRUE(question.window && question.title == L"Cirrowisp" &&
                narrow(question.text).find(root()) != std::string::npos)
        << "Restore asks first, naming the folder: " << narrow(question.text);
    EXPECT_TRUE(snapshotTree(root(), kFilesAndFolders) == patched)
        << "Restore answered No changes nothing";

    PostMessageW(app.dialog, WM_SYSCOMMAND, IDM_RESTORE, 0);
    question = answerMessageBox(app, 60000, IDYES);
    const MessageBoxSeen box = answerMessageBox(app);
    RestoreTotals totals;
    totals.aiRestored = 2;
    EXPECT_TRUE(question.window && box.window && box.title == L"Cirrowisp" &&
                narrow(box.text) == restoreSummaryText(totals))
        << "Restore answered Yes: summary box equals restoreSummaryText: " << narrow(box.title)
        << " / " << narrow(box.text);
    const std::string fresh = scratch() + "\\before-run";
    makeSampleTree(fresh);
    const auto restored = snapshotTree(root(), kFilesAndFolders);
    const auto wanted = snapshotTree(fresh, kFilesAndFolders);
    fs::remove_all(fresh);
    ASSERT_EQ(wanted.size(), 11u) << "the tree before the first run, made again for comparison";
    std::string differences;
    for (const auto& [path, bytes] : restored) {
        const auto found = wanted.find(path);
        if (found == wanted.end() || found->second != bytes)
            differences += path + " ";
    }
    for (const auto& [path, bytes] : wanted) {
        if (restored.count(path) == 0)
            differences += path + " (missing) ";
    }
    EXPECT_EQ(differences, "") << "Restore gives back the tree before the first run";
    EXPECT_TRUE(running(app) && IsWindowEnabled(app.dialog)) << "dialog back after the restore";
}

TEST_F(Registry, FileErrorShownInAMessageBoxNamingTheFile) {
    // A folder standing where the backup should go: the backup rename has to fail.
    const std::string broken = scratch() + "\\broken";
    fs::remove_all(broken);
    const std::string aircraft = broken + "\\SimObjects\\Airplanes\\Broken";
    fs::create_directories(aircraft + "\\without_contrails_aircraft.cfg");
    writeFile(aircraft + "\\aircraft.cfg", kJetInput);
    setText(GetDlgItem(app.dialog, IDC_SIMULATOR_PATH), widen(broken));
    clickStart(app);
    const MessageBoxSeen box = answerMessageBox(app);
    const std::string text = narrow(box.text);
    EXPECT_TRUE(box.window && box.title == L"Cirrowisp" &&
                text.find("aircraft.cfg") != std::string::npos &&
                text.find("Broken") != std::string::npos)
        << text;
    EXPECT_EQ(text.find("Scanned"), std::string::npos) << "no summary after a file error";
    std::printf("     message box text: %s\n", text.c_str());
    EXPECT_TRUE(running(app) && IsWindow(app.dialog) && IsWindowVisible(app.dialog) &&
                IsWindowEnabled(app.dialog))
        << "dialog still open after the file error";
}

TEST_F(Registry, EscapeEndsTheProgramWithExitCode0) {
    send(app.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(app.dialog, IDCANCEL)),
         TRUE);
    PostMessageW(GetDlgItem(app.dialog, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(exitCode(app), 0u);
}

// The message box title is the name the executable has when it runs.
TEST_F(Registry, RenamedCopyTitlesItsMessageBoxesWithItsName) {
    const std::string renamed = scratch() + "\\Contrail Maker.exe";
    CopyFileA(arguments.exe.c_str(), renamed.c_str(), FALSE);
    App copy;
    ASSERT_TRUE(start(copy, renamed, scratch())) << "renamed copy starts";
    setText(GetDlgItem(copy.dialog, IDC_TEMPERATURE), L"x");
    clickStart(copy);
    const MessageBoxSeen box = answerMessageBox(copy);
    EXPECT_TRUE(box.title == L"Contrail Maker" && box.text == L"Please enter an integer.")
        << narrow(box.title) << " / " << narrow(box.text);
    PostMessageW(copy.dialog, WM_CLOSE, 0, 0);
    if (!exitCode(copy))
        stop(copy);
}

}  // namespace
}  // namespace cirrowisp::e2e
