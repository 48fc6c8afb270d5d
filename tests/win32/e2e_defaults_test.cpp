// The dialog as it first opens with no registry entry, against its table, and its About box:
// the defaults mode.

#include <iterator>
#include <memory>

#include "tests/win32/control_table.h"
#include "tests/win32/e2e_program.h"

namespace cirrowisp::e2e {
namespace {

const ControlRow kGeneratorTable[] = {
    {IDCANCEL, Kind::pushButton, L"Cancel", 107, 202, 50, 14},
    {IDC_START, Kind::defaultButton, L"Start", 47, 202, 50, 14},
    {-1, Kind::groupBox, L"Engine Type", 20, 15, 87, 110},
    {IDC_PISTON, Kind::checkBox, L"Piston", 31, 28, 35, 10},
    {IDC_JET, Kind::checkBox, L"Jet", 31, 44, 25, 10},
    {IDC_NONE, Kind::checkBox, L"None", 31, 60, 33, 10},
    {IDC_HELO_TURBINE, Kind::checkBox, L"Helo-Turbine", 31, 76, 57, 10},
    {IDC_ROCKET, Kind::checkBox, L"Rocket", 31, 92, 39, 10},
    {IDC_TURBOPROP, Kind::checkBox, L"Turboprop", 31, 108, 49, 10},
    {IDC_TEMPERATURE, Kind::numberEdit, L"-27", 146, 178, 40, 12},
    {-1, Kind::label, L"max Contrail Temperature (\u00B0C)", 21, 180, 94, 8},
    {IDC_SIMULATOR_PATH, Kind::edit, nullptr, 66, 132, 120, 12},
    {-1, Kind::label, L"FSX Path", 21, 134, 31, 8},
    {IDC_FLYABLE, Kind::checkBox, L"Flyable planes ", 117, 28, 61, 10},
    {-1, Kind::label, L"Name of effect file", 21, 157, 58, 8},
    {IDC_EFFECT_NAME, Kind::edit, L"fx_Cirrowisp", 92, 155, 94, 12},
};

class Defaults : public ProgramTest {
protected:
    static void SetUpTestSuite() {
        if (arguments.mode != "defaults")
            return;
        units = std::make_unique<UnitMapper>();
        start(app, arguments.exe, tempFolder());
    }
    static void TearDownTestSuite() {
        ProgramTest::TearDownTestSuite();
        units.reset();
    }
    void SetUp() override { need("defaults"); }
    static std::string shots() { return arguments.narrow[0]; }
    static inline std::unique_ptr<UnitMapper> units;
};

TEST_F(Defaults, DialogShowsAndIsPhotographed) {
    EXPECT_TRUE(units->ok()) << "dialog-unit mapper";
    // The picture for the README, as the dialog first appears.
    Sleep(1000);
    EXPECT_TRUE(!shots().empty() && saveScreenshot(app.dialog, shots() + "\\generator-dialog.bmp"))
        << "dialog screenshot";
}

TEST_F(Defaults, DialogFrame) {
    const DWORD style = styleOf(app.dialog);
    const DWORD exStyle = exStyleOf(app.dialog);
    const DWORD wanted = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_VISIBLE;
    EXPECT_EQ(style & wanted, wanted)
        << "dialog styles: modal frame, caption, system menu, popup, visible";
    EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0u) << "dialog extended style: application window";
    RECT client;
    GetClientRect(app.dialog, &client);
    const RECT expected = units->map(0, 0, 199, 236);
    EXPECT_TRUE(EqualRect(&client, &expected))
        << "dialog client area is 199 x 236 dialog units: " << rectText(client) << " not "
        << rectText(expected);
}

// Before anything moves the focus.
TEST_F(Defaults, TabOrderAndFocus) {
    HWND cancel = GetDlgItem(app.dialog, IDCANCEL);
    EXPECT_EQ(focusOf(app), cancel) << "Cancel holds the focus at open";

    std::vector<int> order;
    HWND item = cancel;
    for (int i = 0; i < 20; ++i) {
        order.push_back(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(app.dialog, item, FALSE);
        if (item == cancel || !item)
            break;
    }
    const std::vector<int> expected = {
        IDCANCEL,        IDC_START,          IDC_PISTON,  IDC_JET,
        IDC_NONE,        IDC_HELO_TURBINE,   IDC_ROCKET,  IDC_TURBOPROP,
        IDC_TEMPERATURE, IDC_SIMULATOR_PATH, IDC_FLYABLE, IDC_EFFECT_NAME};
    EXPECT_EQ(order, expected) << "tab order";

    const LRESULT defId = send(app.dialog, DM_GETDEFID);
    EXPECT_TRUE(HIWORD(defId) == DC_HASDEFID && LOWORD(defId) == IDC_START)
        << "Start is the default button: " << LOWORD(defId);
    // Once the focus leaves the push buttons, Start shows itself as the default again.
    send(app.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(app.dialog, IDC_JET)),
         TRUE);
    const DWORD startType = styleOf(GetDlgItem(app.dialog, IDC_START)) & BS_TYPEMASK;
    EXPECT_EQ(startType, static_cast<DWORD>(BS_DEFPUSHBUTTON))
        << "Start drawn as default while a check box has the focus";
}

TEST_F(Defaults, ControlsMatchTheTable) {
    expectControls(app.dialog, kGeneratorTable, std::size(kGeneratorTable), *units, "dialog");
}

TEST_F(Defaults, CheckBoxesShowJetAndTurbopropTicked) {
    const struct {
        int id;
        bool ticked;
    } boxes[] = {{IDC_PISTON, false},       {IDC_JET, true},     {IDC_NONE, false},
                 {IDC_HELO_TURBINE, false}, {IDC_ROCKET, false}, {IDC_TURBOPROP, true},
                 {IDC_FLYABLE, false}};
    for (const auto& box : boxes) {
        EXPECT_EQ(send(GetDlgItem(app.dialog, box.id), BM_GETCHECK) == BST_CHECKED, box.ticked)
            << "check box " << box.id;
    }
}

TEST_F(Defaults, PathFieldWithoutRegistryEntryIsAircraftFolder) {
    EXPECT_EQ(narrow(windowText(GetDlgItem(app.dialog, IDC_SIMULATOR_PATH))), ".\\Aircraft\\");
}

// The icons are read in process by generator_dialog_tests: Wine answers WM_GETICON and
// WM_QUERYDRAGICON from another process with 0.

TEST_F(Defaults, TemperatureFieldTakesDigitsOnly) {
    HWND edit = GetDlgItem(app.dialog, IDC_TEMPERATURE);
    send(edit, EM_SETSEL, 1, 3);
    typeText(edit, L"40");
    EXPECT_EQ(narrow(windowText(edit)), "-40") << "typing 40 over the digits of -27";
    typeText(edit, L"x-.a +e");
    EXPECT_EQ(narrow(windowText(edit)), "-40") << "typed non-digits refused";
    setText(edit, L"-27");
}

TEST_F(Defaults, AboutBox) {
    PostMessageW(app.dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = nullptr;
    waitFor([&] { return (about = topLevel(app, L"About Cirrowisp")) != nullptr; });
    ASSERT_NE(about, nullptr) << "system command 16 opens \"About Cirrowisp\"";
    EXPECT_EQ(GetWindow(about, GW_OWNER), app.dialog) << "About box is owned by the dialog";
    EXPECT_FALSE(IsWindowEnabled(app.dialog)) << "About box is modal";
    RECT client;
    GetClientRect(about, &client);
    const RECT expected = units->map(0, 0, 235, 55);
    EXPECT_TRUE(EqualRect(&client, &expected))
        << "About box is 235 x 55 dialog units: " << rectText(client);
    const DWORD wanted = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP;
    EXPECT_EQ(styleOf(about) & wanted, wanted)
        << "About box styles: modal frame, caption, system menu";

    HWND icon = GetWindow(about, GW_CHILD);
    HWND text = icon ? GetWindow(icon, GW_HWNDNEXT) : nullptr;
    HWND ok = text ? GetWindow(text, GW_HWNDNEXT) : nullptr;
    if (icon) {
        const RECT where = rectInDialog(about, icon);
        const RECT place = units->map(11, 12, 20, 20);
        EXPECT_TRUE(GetDlgCtrlID(icon) == -1 && className(icon) == L"Static" &&
                    (styleOf(icon) & SS_TYPEMASK) == SS_ICON && where.left == place.left &&
                    where.top == place.top && send(icon, STM_GETICON) != 0)
            << "About icon control shows the icon at 11, 12";
    }
    if (text) {
        const RECT where = rectInDialog(about, text);
        const RECT place = units->map(40, 10, 119, 8);
        EXPECT_TRUE(windowText(text) == L"" CIRROWISP_ABOUT_TEXT && EqualRect(&where, &place) &&
                    (styleOf(text) & SS_NOPREFIX) != 0)
            << "About text \"" CIRROWISP_ABOUT_TEXT "\" without ampersand processing: "
            << narrow(windowText(text)) << " " << rectText(where);
    }
    if (ok) {
        const RECT where = rectInDialog(about, ok);
        const RECT place = units->map(178, 7, 50, 14);
        const LRESULT defId = send(about, DM_GETDEFID);
        EXPECT_TRUE(GetDlgCtrlID(ok) == IDOK && windowText(ok) == L"OK" &&
                    EqualRect(&where, &place) && LOWORD(defId) == IDOK)
            << "About OK button, id 1, default: " << rectText(where);
    }
    EXPECT_TRUE(!shots().empty() && saveScreenshot(about, shots() + "\\about-box.bmp"))
        << "About box screenshot";
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(about); })) << "OK closes the About box";
    EXPECT_TRUE(IsWindowEnabled(app.dialog) && running(app)) << "dialog back after the About box";
}

// Alt+Space opens the system menu; the About item is its last one, picked with End and Enter.
// (Wine adds an "About Wine" item of its own, so the mnemonic A alone would be ambiguous.)
TEST_F(Defaults, AboutFromTheSystemMenusLastItem) {
    SetForegroundWindow(app.dialog);
    PostMessageW(app.dialog, WM_SYSCHAR, VK_SPACE, 0x20000001);
    Sleep(500);
    PostMessageW(app.dialog, WM_KEYDOWN, VK_END, 1);
    PostMessageW(app.dialog, WM_KEYDOWN, VK_RETURN, 1);
    HWND about = nullptr;
    waitFor([&] { return (about = topLevel(app, L"About Cirrowisp")) != nullptr; }, 10000);
    if (!about) {
        PostMessageW(app.dialog, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageW(app.dialog, WM_KEYDOWN, VK_ESCAPE, 1);
        FAIL() << "system menu: its last item opens the About box";
    }
    PostMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(about); })) << "close box closes the About box";
}

TEST_F(Defaults, CloseBoxEndsTheProgramWithExitCode0) {
    PostMessageW(app.dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCode(app), 0u);
}

}  // namespace
}  // namespace cirrowisp::e2e
