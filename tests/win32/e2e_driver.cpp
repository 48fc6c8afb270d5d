// Drives the real Cirrowisp.exe from outside, as a user would, and checks what it shows and
// what it does to a sample simulator tree. Runs on Windows or under Wine.
//
//   cirrowisp_e2e <Cirrowisp.exe> defaults <screenshot folder>
//       no registry entry: the resources, the dialog against its table, typing, the About box
//   cirrowisp_e2e <Cirrowisp.exe> registry <simulator folder> <scratch folder>
//       the setup path registered: path field, refusals, real runs, a restore from the system
//       menu, a file error
//   cirrowisp_e2e <Cirrowisp.exe> unicode <registered path> <simulator folder> <aircraft>
//                 <failing file>
//       paths in any script: the registered one shown, the simulator folder typed and run,
//       restored from the system menu, then the simulator folder of <failing file> pasted,
//       and that file named in the error
//
// Each mode runs its own test suites, in order: the tests of a suite share one running
// program and follow on from each other. GoogleTest's own flags may be given anywhere.
#include <gtest/gtest.h>

#include <windows.h>
// windows.h first: shellapi.h relies on its types.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cirrowisp_version.h"
#include "patcher/aircraft_scan.h"
#include "patcher/restore_scan.h"
#include "res/resource.h"
#include "tests/support/disk_tree.h"
#include "tests/win32/window_automation.h"

namespace cirrowisp::e2e {
namespace {

// What the command line asked for: the mode and its arguments, narrow (in the ANSI code page)
// and wide (as typed).
struct Arguments {
    std::string exe;
    std::string mode;
    std::vector<std::string> narrow;
    std::vector<std::wstring> wide;
};
Arguments arguments;

std::string tempFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

// The registry mode's folders are plain ASCII: narrow paths reach them.
namespace fs = std::filesystem;

// ---- the dialog's table -----------------------------------------------------------------

enum class Kind { pushButton, defaultButton, groupBox, checkBox, edit, numberEdit, label };

struct ControlRow {
    int id;
    Kind kind;
    const wchar_t* caption;  // for edits: the content the dialog opens with; null = not checked
    int x, y, w, h;
};

const wchar_t* kindClass(Kind kind) {
    switch (kind) {
        case Kind::edit:
        case Kind::numberEdit:
            return L"Edit";
        case Kind::label:
            return L"Static";
        default:
            return L"Button";
    }
}

std::string styleProblem(Kind kind, DWORD style, DWORD exStyle) {
    const auto has = [&](DWORD bits) { return (style & bits) == bits; };
    std::string problem;
    if (!has(WS_CHILD | WS_VISIBLE))
        problem += " not a visible child;";
    const bool tabStop = has(WS_TABSTOP);
    switch (kind) {
        case Kind::pushButton:
        case Kind::defaultButton: {
            const DWORD type = style & BS_TYPEMASK;
            if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
                problem += " not a push button;";
            if (!tabStop)
                problem += " no tab stop;";
            break;
        }
        case Kind::groupBox:
            if ((style & BS_TYPEMASK) != BS_GROUPBOX)
                problem += " not a group box;";
            if (tabStop)
                problem += " tab stop;";
            break;
        case Kind::checkBox:
            if ((style & BS_TYPEMASK) != BS_AUTOCHECKBOX)
                problem += " not an auto check box;";
            if (!tabStop)
                problem += " no tab stop;";
            break;
        case Kind::edit:
        case Kind::numberEdit:
            if (!has(ES_AUTOHSCROLL))
                problem += " no auto-scroll;";
            if (!has(WS_BORDER) && !(exStyle & WS_EX_CLIENTEDGE))
                problem += " no border;";
            if (has(ES_NUMBER) != (kind == Kind::numberEdit))
                problem += " digits-only wrong;";
            if (!tabStop)
                problem += " no tab stop;";
            break;
        case Kind::label:
            if ((style & SS_TYPEMASK) != SS_LEFT)
                problem += " not left-aligned text;";
            if (tabStop)
                problem += " tab stop;";
            break;
    }
    return problem;
}

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

// The controls of `dialog`, in their order, against `table`: one failure per row that differs.
void expectControls(HWND dialog, const ControlRow* table, std::size_t count,
                    const UnitMapper& units, const std::string& where) {
    HWND child = GetWindow(dialog, GW_CHILD);
    for (std::size_t i = 0; i < count;
         ++i, child = child ? GetWindow(child, GW_HWNDNEXT) : nullptr) {
        const ControlRow& row = table[i];
        const std::string name =
            where + " control " + std::to_string(i + 1) + " (id " + std::to_string(row.id) + ")";
        if (!child) {
            ADD_FAILURE() << name << ": missing";
            continue;
        }
        std::string problem;
        if (GetDlgCtrlID(child) != row.id)
            problem += " id " + std::to_string(GetDlgCtrlID(child)) + ";";
        if (className(child) != kindClass(row.kind))
            problem += " class " + narrow(className(child)) + ";";
        if (row.caption && windowText(child) != row.caption) {
            problem += " caption \"" + narrow(windowText(child)) + "\";";
        }
        const RECT expected = units.map(row.x, row.y, row.w, row.h);
        const RECT actual = rectInDialog(dialog, child);
        if (!EqualRect(&expected, &actual))
            problem += " rect " + rectText(actual) + " not " + rectText(expected) + ";";
        problem += styleProblem(row.kind, styleOf(child), exStyleOf(child));
        EXPECT_EQ(problem, "") << name;
    }
    EXPECT_EQ(child, nullptr) << where << " has further controls";
}

// ---- resources --------------------------------------------------------------------------

std::string resourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name) {
    HRSRC found = FindResourceW(module, name, type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const char*>(LockResource(loaded));
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

std::wstring versionString(const std::vector<char>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || !value)
        return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

// The tests of one mode share one running program and follow on from each other, in the
// order they are written here.
class ProgramTest : public ::testing::Test {
protected:
    static void TearDownTestSuite() { stop(app); }
    // Skips the test unless `mode` was asked for; fails it when the program has no dialog.
    void need(const char* mode) {
        if (arguments.mode != mode)
            GTEST_SKIP() << "runs in the " << mode << " mode";
        ASSERT_NE(app.dialog, nullptr) << "Cirrowisp.exe shows \"FSX-Cirrowisp generator\"";
    }
    static inline App app;
};

// The executable's resources, read as data without running it.
class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        if (arguments.mode != "defaults")
            GTEST_SKIP() << "runs in the defaults mode";
        module_ = LoadLibraryExA(arguments.exe.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "Cirrowisp.exe opens as a resource file";
    }
    void TearDown() override {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

TEST_F(Resources, AboutItemString) {
    wchar_t about[64] = {};
    LoadStringW(module_, IDS_ABOUTBOX, about, 64);
    EXPECT_EQ(std::wstring(about), L"&About Cirrowisp...") << "string 101";
}

TEST_F(Resources, IconGroupHolds32And16PixelImagesIn16Colours) {
    const std::string group =
        resourceBytes(module_, MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(IDR_MAINFRAME));
    std::string images;
    if (group.size() >= 6) {
        const std::size_t count =
            static_cast<unsigned char>(group[4]) | static_cast<unsigned char>(group[5]) << 8;
        for (std::size_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i) {
            const char* entry = group.data() + 6 + 14 * i;
            images += std::to_string(static_cast<unsigned char>(entry[0])) + "x" +
                      std::to_string(static_cast<unsigned char>(entry[1])) + "/" +
                      std::to_string(static_cast<unsigned char>(entry[2])) + " ";
        }
    }
    EXPECT_EQ(images, "32x32/16 16x16/16 ") << "icon group 128";
}

TEST_F(Resources, Manifest) {
    const std::string manifest = resourceBytes(module_, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    EXPECT_NE(manifest.find("name=\"Cirrowisp\" version=\"" CIRROWISP_VERSION "\""),
              std::string::npos)
        << "manifest names Cirrowisp " CIRROWISP_VERSION;
    EXPECT_TRUE(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
                manifest.find("version=\"6.0.0.0\"") != std::string::npos &&
                manifest.find("level=\"asInvoker\"") != std::string::npos &&
                manifest.find("<dpiAware") != std::string::npos)
        << "manifest: common controls 6, asInvoker, DPI aware";
}

TEST_F(Resources, VersionResource) {
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(arguments.exe.c_str(), &ignored));
    ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(arguments.exe.c_str(), 0,
                                                     static_cast<DWORD>(info.size()), info.data()))
        << "version resource present";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
    const DWORD versionMS = MAKELONG(CIRROWISP_VERSION_MINOR, CIRROWISP_VERSION_MAJOR);
    const DWORD versionLS = MAKELONG(CIRROWISP_VERSION_TWEAK, CIRROWISP_VERSION_PATCH);
    EXPECT_TRUE(fixed && fixed->dwFileVersionMS == versionMS &&
                fixed->dwFileVersionLS == versionLS && fixed->dwProductVersionMS == versionMS &&
                fixed->dwProductVersionLS == versionLS)
        << "file and product version " CIRROWISP_VERSION;
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"ProductName", L"Cirrowisp Application"},
        {L"FileDescription", L"Cirrowisp MFC Application"},
        {L"InternalName", L"Cirrowisp"},
        {L"OriginalFilename", L"Cirrowisp.EXE"},
        {L"FileVersion", L"" CIRROWISP_VERSION_COMMAS},
        {L"ProductVersion", L"" CIRROWISP_VERSION_COMMAS},
    };
    for (const auto& entry : strings) {
        EXPECT_EQ(narrow(versionString(info, entry.name)), narrow(entry.value))
            << "version " << narrow(entry.name);
    }
    DWORD* translation = nullptr;
    VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                   reinterpret_cast<void**>(&translation), &length);
    EXPECT_TRUE(translation && length >= 4 && LOWORD(*translation) == 0x0409 &&
                HIWORD(*translation) == 1200)
        << "version language U.S. English, code page 1200";
}

// ---- no registry entry ------------------------------------------------------------------

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
    DWORD code = 99;
    EXPECT_TRUE(waitExit(app, code) && code == 0) << code;
}

// ---- with the registry entry ------------------------------------------------------------

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
    DWORD code = 99;
    EXPECT_TRUE(waitExit(app, code) && code == 0) << code;
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
    DWORD code = 99;
    if (!waitExit(copy, code))
        stop(copy);
}

// ---- paths in any script ----------------------------------------------------------------

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
    DWORD code = 99;
    EXPECT_TRUE(waitExit(app, code) && code == 0) << code;
}

// The suites of each mode, with the number of arguments after the mode.
struct Mode {
    const char* name;
    std::size_t arguments;
    const char* suites;
};
constexpr Mode kModes[] = {
    {"defaults", 1, "Resources.*:Defaults.*"},
    {"registry", 2, "Registry.*"},
    {"unicode", 4, "Unicode.*"},
};

}  // namespace
}  // namespace cirrowisp::e2e

int main(int argc, char** argv) {
    using cirrowisp::e2e::arguments;
    // The narrow arguments hold '?' for every character outside the ANSI code page; the wide
    // ones, from the same command line, stand beside them at the same places.
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    const bool wideMatches = wideCount == argc;
    std::vector<std::string> narrowPlain;
    std::vector<std::wstring> widePlain;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_", 8) == 0)
            continue;
        narrowPlain.push_back(argv[i]);
        widePlain.push_back(wideMatches ? wide[i] : L"");
    }
    LocalFree(wide);
    testing::InitGoogleTest(&argc, argv);

    const cirrowisp::e2e::Mode* mode = nullptr;
    for (const auto& candidate : cirrowisp::e2e::kModes) {
        if (narrowPlain.size() >= 2 + candidate.arguments && narrowPlain[1] == candidate.name)
            mode = &candidate;
    }
    if (!mode || (std::strcmp(mode->name, "unicode") == 0 && !wideMatches)) {
        std::fprintf(stderr,
                     "usage: cirrowisp_e2e EXE defaults SHOTS | EXE registry SIMULATOR SCRATCH |"
                     " EXE unicode REGISTERED SIMULATOR AIRCRAFT FAILING\n");
        return 2;
    }
    arguments.exe = narrowPlain[0];
    arguments.mode = mode->name;
    arguments.narrow.assign(narrowPlain.begin() + 2, narrowPlain.end());
    arguments.wide.assign(widePlain.begin() + 2, widePlain.end());
    if (GTEST_FLAG_GET(filter) == "*")
        GTEST_FLAG_SET(filter, mode->suites);
    return RUN_ALL_TESTS();
}
