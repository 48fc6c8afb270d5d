// Paths in any script: the registered one shown, the simulator folder typed and run, restored
// from the system menu, and a failing file named as it is: the unicode mode.

#include <cstdlib>

#include "tests/win32/e2e_program.h"

namespace cirrowisp::e2e {
namespace {

// Jets wait below the simulator folder, treated and then restored; the script that made them
// checks the files. The backup of the failing file cannot be made: its simulator folder ends
// the run with a file error.
class Unicode : public ProgramTest {
protected:
    static void SetUpTestSuite() {
        if (arguments.mode == "unicode")
            start(app, arguments.exe, tempFolder());
    }
    void SetUp() override { need("unicode"); }
    static const std::wstring& registered() { return arguments.wide[0]; }
    static const std::wstring& simulator() { return arguments.wide[1]; }
    static int aircraft() { return std::atoi(arguments.narrow[2].c_str()); }
    static const std::wstring& failing() { return arguments.wide[3]; }
    static HWND field() { return GetDlgItem(app.dialog, IDC_SIMULATOR_PATH); }
};

TEST_F(Unicode, PathFieldShowsTheRegisteredSetupPath) {
    EXPECT_EQ(narrow(windowText(field())), narrow(registered()));
}

TEST_F(Unicode, SimulatorFolderTypedAndRunTreatsEveryAircraft) {
    setText(field(), L"");
    typeText(field(), simulator());
    EXPECT_EQ(narrow(windowText(field())), narrow(simulator())) << "typed into the path field";
    clickStart(app);
    const MessageBoxSeen box = answerMessageBox(app);
    ScanTotals totals;
    totals.aiAircraft = totals.contrailsAdded = totals.temperaturesChanged = aircraft();
    EXPECT_EQ(narrow(box.text), summaryText(totals)) << "summary box: every aircraft treated";
}

// The restore's boxes show the path as it is too; every aircraft had its backup made.
TEST_F(Unicode, RestoreNamesTheFolderAsItIsAndRestoresEveryAircraft) {
    PostMessageW(app.dialog, WM_SYSCOMMAND, IDM_RESTORE, 0);
    const MessageBoxSeen question = answerMessageBox(app, 60000, IDYES);
    EXPECT_NE(question.text.find(simulator()), std::wstring::npos)
        << "Restore asks first, naming the folder as it is: " << narrow(question.text);
    const MessageBoxSeen restored = answerMessageBox(app);
    RestoreTotals totals;
    totals.aiRestored = aircraft();
    EXPECT_EQ(narrow(restored.text), restoreSummaryText(totals))
        << "restore summary box: every aircraft restored";
}

TEST_F(Unicode, FileErrorNamesTheFileAsItIs) {
    setText(field(), failing().substr(0, failing().find(L"\\SimObjects\\")));
    clickStart(app);
    const MessageBoxSeen error = answerMessageBox(app);
    EXPECT_NE(error.text.find(failing()), std::wstring::npos) << narrow(error.text);
}

TEST_F(Unicode, CloseBoxEndsTheProgramWithExitCode0) {
    PostMessageW(app.dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCode(app), 0u);
}

}  // namespace
}  // namespace cirrowisp::e2e
