// Drives the real Cirrowisp.exe from outside, as a user would, and checks what it shows and
// what it does to a sample simulator tree. Runs on Windows or under Wine.
//
//   cirrowisp_e2e <Cirrowisp.exe> defaults <screenshot folder>
//       no registry entry: the dialog against its table, typing, the About box
//   cirrowisp_e2e <Cirrowisp.exe> registry <simulator folder> <scratch folder>
//       the setup path registered: path field, refusals, real runs, a restore from the system
//       menu, a file error
//   cirrowisp_e2e <Cirrowisp.exe> unicode <registered path> <simulator folder> <aircraft>
//                 <failing file>
//       paths in any script: the registered one shown, the simulator folder typed and run,
//       restored from the system menu, then the simulator folder of <failing file> pasted,
//       and that file named in the error
//
// Prints one line per check and closes with "N passed, M failed".
#include <windows.h>
// windows.h first: shellapi.h relies on its types.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cirrowisp_version.h"
#include "patcher/aircraft_scan.h"
#include "patcher/restore_scan.h"
#include "res/resource.h"

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& name, const std::string& detail = {}) {
    (ok ? passed : failed)++;
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), ok || detail.empty() ? "" : ": ",
                ok ? "" : detail.c_str());
    std::fflush(stdout);
}

std::string narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

// Asks the window itself: GetWindowText does not reach the text of another process's
// controls.
std::wstring windowText(HWND window) {
    wchar_t buffer[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 20000, &copied);
    return buffer;
}

std::wstring className(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

DWORD styleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
}
DWORD exStyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
}

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

bool waitFor(const std::function<bool()>& condition, DWORD milliseconds = 20000) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        if (condition())
            return true;
        Sleep(50);
    }
    return condition();
}

// ---- the program under test -------------------------------------------------------------

struct App {
    PROCESS_INFORMATION process{};
    HWND dialog = nullptr;
};

struct FindTopLevel {
    DWORD processId;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND window, LPARAM data) {
    auto* find = reinterpret_cast<FindTopLevel*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == find->processId && IsWindowVisible(window) && className(window) == L"#32770" &&
        windowText(window) == find->caption) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND topLevel(const App& app, const wchar_t* caption) {
    FindTopLevel find{app.process.dwProcessId, caption, nullptr};
    EnumWindows(&findTopLevel, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

bool start(App& app, const std::string& exe, const std::string& workingFolder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.c_str(), &startup, &app.process)) {
        return false;
    }
    WaitForInputIdle(app.process.hProcess, 20000);
    return waitFor(
        [&] { return (app.dialog = topLevel(app, L"FSX-Cirrowisp generator")) != nullptr; }, 60000);
}

bool running(const App& app) {
    return WaitForSingleObject(app.process.hProcess, 0) == WAIT_TIMEOUT;
}

bool waitExit(App& app, DWORD& code) {
    if (WaitForSingleObject(app.process.hProcess, 20000) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(app.process.hProcess, &code);
    CloseHandle(app.process.hProcess);
    CloseHandle(app.process.hThread);
    return true;
}

LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 20000, &result);
    return static_cast<LRESULT>(result);
}

HWND focusOf(const App& app) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(app.process.dwThreadId, &info);
    return info.hwndFocus;
}

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
};

BOOL CALLBACK collectStaticText(HWND child, LPARAM data) {
    auto* text = reinterpret_cast<std::wstring*>(data);
    if (className(child) == L"Static") {
        const std::wstring t = windowText(child);
        if (!t.empty())
            *text += t;
    }
    return TRUE;
}

struct FindOwned {
    DWORD processId;
    HWND owner;
    HWND found;
};

BOOL CALLBACK findOwned(HWND window, LPARAM data) {
    auto* find = reinterpret_cast<FindOwned*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == find->processId && IsWindowVisible(window) &&
        GetWindow(window, GW_OWNER) == find->owner && className(window) == L"#32770") {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

// Waits for the message box the dialog opens, reads it and presses its OK button (or the
// one given).
MessageBoxSeen answerMessageBox(const App& app, DWORD milliseconds = 60000, int button = IDOK) {
    MessageBoxSeen seen;
    FindOwned find{app.process.dwProcessId, app.dialog, nullptr};
    waitFor(
        [&] {
            find.found = nullptr;
            EnumWindows(&findOwned, reinterpret_cast<LPARAM>(&find));
            return find.found != nullptr;
        },
        milliseconds);
    if (!find.found)
        return seen;
    seen.window = find.found;
    seen.title = windowText(find.found);
    EnumChildWindows(find.found, &collectStaticText, reinterpret_cast<LPARAM>(&seen.text));
    PostMessageW(find.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    waitFor([&] { return !IsWindow(seen.window); });
    return seen;
}

void clickStart(const App& app) {
    PostMessageW(app.dialog, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(app.dialog, IDC_START)));
}

void typeText(HWND control, const std::wstring& text) {
    for (wchar_t c : text) send(control, WM_CHAR, c, 1);
}

// ---- dialog units -----------------------------------------------------------------------

// A hidden dialog in the same font as the program's, whose MapDialogRect turns the table's
// dialog units into pixels the way the program's own dialog was laid out.
class UnitMapper {
public:
    UnitMapper() {
        std::vector<WORD> t;
        auto push = [&](DWORD v) {
            t.push_back(LOWORD(v));
            t.push_back(HIWORD(v));
        };
        push(DS_SETFONT | WS_POPUP | WS_CAPTION);    // style
        push(0);                                     // extended style
        t.push_back(0);                              // no controls
        for (int i = 0; i < 4; ++i) t.push_back(0);  // x, y, cx, cy
        t.push_back(0);                              // no menu
        t.push_back(0);                              // default class
        t.push_back(0);                              // no caption
        t.push_back(8);                              // point size
        for (const wchar_t* c = L"MS Sans Serif"; *c; ++c) t.push_back(*c);
        t.push_back(0);
        window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr,
                                             &proc, 0);
    }
    ~UnitMapper() {
        if (window_)
            DestroyWindow(window_);
    }
    // Position and size are converted separately, as the dialog manager lays out a template;
    // converting the right and bottom edges would round differently.
    RECT map(int x, int y, int w, int h) const {
        RECT r{x, y, w, h};
        MapDialogRect(window_, &r);
        return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
    }
    bool ok() const { return window_ != nullptr; }

private:
    static INT_PTR CALLBACK proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
    HWND window_ = nullptr;
};

RECT rectInDialog(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// ---- screenshots ------------------------------------------------------------------------

// Copies the window's area of the screen into a 24-bit BMP file.
bool saveScreenshot(HWND window, const std::string& path) {
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    bool written = false;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                  std::fwrite(bits, 1, imageSize, out) == imageSize;
        written = std::fclose(out) == 0 && written;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied && written;
}

// ---- files ------------------------------------------------------------------------------

bool writeFile(const std::string& path, const std::string& content) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool ok = std::fwrite(content.data(), 1, content.size(), out) == content.size();
    return std::fclose(out) == 0 && ok;
}

bool readFile(const std::string& path, std::string& content) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return false;
    content.clear();
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) content.append(buffer, n);
    std::fclose(in);
    return true;
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void makeFolders(const std::string& path) {
    for (std::size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

void removeTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

// Every file below `path` with its content, folders marked by a trailing backslash.
void snapshot(const std::string& path, const std::string& prefix,
              std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[prefix + name + "\\"] = "";
            snapshot(path + "\\" + name, prefix + name + "\\", out);
        } else {
            readFile(path + "\\" + name, out[prefix + name]);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

std::map<std::string, std::string> snapshot(const std::string& path) {
    std::map<std::string, std::string> out;
    snapshot(path, "", out);
    return out;
}

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

void checkControls(HWND dialog, const ControlRow* table, std::size_t count, const UnitMapper& units,
                   const std::string& where) {
    HWND child = GetWindow(dialog, GW_CHILD);
    for (std::size_t i = 0; i < count;
         ++i, child = child ? GetWindow(child, GW_HWNDNEXT) : nullptr) {
        const ControlRow& row = table[i];
        const std::string name =
            where + " control " + std::to_string(i + 1) + " (id " + std::to_string(row.id) + ")";
        if (!child) {
            check(false, name, "missing");
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
        check(problem.empty(), name, problem);
    }
    check(child == nullptr, where + " has no further controls");
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

void checkResources(const std::string& exe) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    check(module != nullptr, "Cirrowisp.exe opens as a resource file");
    if (!module)
        return;

    wchar_t about[64] = {};
    LoadStringW(module, IDS_ABOUTBOX, about, 64);
    check(std::wstring(about) == L"&About Cirrowisp...", "string 101", narrow(about));

    // The icon group: a 32 x 32 and a 16 x 16 image, 16 colours each.
    const std::string group =
        resourceBytes(module, MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(IDR_MAINFRAME));
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
    check(images == "32x32/16 16x16/16 ", "icon group 128: 32 x 32 and 16 x 16 in 16 colours",
          images);

    const std::string manifest = resourceBytes(module, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    check(
        manifest.find("name=\"Cirrowisp\" version=\"" CIRROWISP_VERSION "\"") != std::string::npos,
        "manifest names Cirrowisp " CIRROWISP_VERSION);
    check(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
              manifest.find("version=\"6.0.0.0\"") != std::string::npos &&
              manifest.find("level=\"asInvoker\"") != std::string::npos &&
              manifest.find("<dpiAware") != std::string::npos,
          "manifest: common controls 6, asInvoker, DPI aware");
    FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    const bool haveInfo =
        !info.empty() &&
        GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data());
    check(haveInfo, "version resource present");
    if (!haveInfo)
        return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
    const DWORD versionMS = MAKELONG(CIRROWISP_VERSION_MINOR, CIRROWISP_VERSION_MAJOR);
    const DWORD versionLS = MAKELONG(CIRROWISP_VERSION_TWEAK, CIRROWISP_VERSION_PATCH);
    check(fixed && fixed->dwFileVersionMS == versionMS && fixed->dwFileVersionLS == versionLS &&
              fixed->dwProductVersionMS == versionMS && fixed->dwProductVersionLS == versionLS,
          "file and product version " CIRROWISP_VERSION);
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
        const std::wstring got = versionString(info, entry.name);
        check(got == entry.value, "version " + narrow(entry.name), narrow(got));
    }
    DWORD* translation = nullptr;
    VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                   reinterpret_cast<void**>(&translation), &length);
    check(translation && length >= 4 && LOWORD(*translation) == 0x0409 &&
              HIWORD(*translation) == 1200,
          "version language U.S. English, code page 1200");
}

// ---- phase 1: defaults ------------------------------------------------------------------

void checkDialogFrame(const App& app, const UnitMapper& units) {
    const DWORD style = styleOf(app.dialog);
    const DWORD exStyle = exStyleOf(app.dialog);
    const DWORD wanted = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_VISIBLE;
    check((style & wanted) == wanted,
          "dialog styles: modal frame, caption, system menu, popup, visible");
    check((exStyle & WS_EX_APPWINDOW) != 0, "dialog extended style: application window");
    RECT client;
    GetClientRect(app.dialog, &client);
    const RECT expected = units.map(0, 0, 199, 236);
    check(EqualRect(&client, &expected), "dialog client area is 199 x 236 dialog units",
          rectText(client) + " not " + rectText(expected));
}

void checkTabOrderAndFocus(const App& app) {
    HWND cancel = GetDlgItem(app.dialog, IDCANCEL);
    check(focusOf(app) == cancel, "Cancel holds the focus at open");

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
    std::string seen;
    for (int id : order) seen += std::to_string(id) + " ";
    check(order == expected, "tab order", seen);

    const LRESULT defId = send(app.dialog, DM_GETDEFID);
    check(HIWORD(defId) == DC_HASDEFID && LOWORD(defId) == IDC_START, "Start is the default button",
          std::to_string(LOWORD(defId)));
    // Once the focus leaves the push buttons, Start shows itself as the default again.
    send(app.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(app.dialog, IDC_JET)),
         TRUE);
    const DWORD startType = styleOf(GetDlgItem(app.dialog, IDC_START)) & BS_TYPEMASK;
    check(startType == BS_DEFPUSHBUTTON, "Start drawn as default while a check box has the focus");
}

void checkTemperatureTyping(const App& app) {
    HWND edit = GetDlgItem(app.dialog, IDC_TEMPERATURE);
    send(edit, EM_SETSEL, 1, 3);
    typeText(edit, L"40");
    check(windowText(edit) == L"-40", "typing 40 over the digits of -27 gives -40",
          narrow(windowText(edit)));
    typeText(edit, L"x-.a +e");
    check(windowText(edit) == L"-40", "typed non-digits refused by the temperature field",
          narrow(windowText(edit)));
    send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-27"));
}

const ControlRow kAboutTable[] = {
    {-1, Kind::label, nullptr, 11, 12, 20, 20},
    {-1, Kind::label, L"" CIRROWISP_ABOUT_TEXT, 40, 10, 119, 8},
    {IDOK, Kind::defaultButton, L"OK", 178, 7, 50, 14},
};

void checkAboutBox(const App& app, const UnitMapper& units, const std::string& shots) {
    PostMessageW(app.dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = nullptr;
    waitFor([&] { return (about = topLevel(app, L"About Cirrowisp")) != nullptr; });
    check(about != nullptr, "system command 16 opens \"About Cirrowisp\"");
    if (!about)
        return;
    check(GetWindow(about, GW_OWNER) == app.dialog, "About box is owned by the dialog");
    check(!IsWindowEnabled(app.dialog), "About box is modal");
    RECT client;
    GetClientRect(about, &client);
    const RECT expected = units.map(0, 0, 235, 55);
    check(EqualRect(&client, &expected), "About box is 235 x 55 dialog units", rectText(client));
    const DWORD style = styleOf(about);
    const DWORD wanted = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP;
    check((style & wanted) == wanted, "About box styles: modal frame, caption, system menu");

    HWND icon = GetWindow(about, GW_CHILD);
    HWND text = icon ? GetWindow(icon, GW_HWNDNEXT) : nullptr;
    HWND ok = text ? GetWindow(text, GW_HWNDNEXT) : nullptr;
    if (icon) {
        const RECT where = rectInDialog(about, icon);
        const RECT place = units.map(11, 12, 20, 20);
        check(GetDlgCtrlID(icon) == -1 && className(icon) == L"Static" &&
                  (styleOf(icon) & SS_TYPEMASK) == SS_ICON && where.left == place.left &&
                  where.top == place.top && send(icon, STM_GETICON) != 0,
              "About icon control shows the icon at 11, 12");
    }
    if (text) {
        const RECT where = rectInDialog(about, text);
        const RECT place = units.map(40, 10, 119, 8);
        check(windowText(text) == L"" CIRROWISP_ABOUT_TEXT && EqualRect(&where, &place) &&
                  (styleOf(text) & SS_NOPREFIX) != 0,
              "About text \"" CIRROWISP_ABOUT_TEXT "\" without ampersand processing",
              narrow(windowText(text)) + " " + rectText(where));
    }
    if (ok) {
        const RECT where = rectInDialog(about, ok);
        const RECT place = units.map(178, 7, 50, 14);
        const LRESULT defId = send(about, DM_GETDEFID);
        check(GetDlgCtrlID(ok) == IDOK && windowText(ok) == L"OK" && EqualRect(&where, &place) &&
                  LOWORD(defId) == IDOK,
              "About OK button, id 1, default", rectText(where));
    }
    check(!shots.empty() && saveScreenshot(about, shots + "\\about-box.bmp"),
          "About box screenshot");
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    check(waitFor([&] { return !IsWindow(about); }), "OK closes the About box");
    check(IsWindowEnabled(app.dialog) && running(app), "dialog back after the About box");
}

// Alt+Space opens the system menu; the About item is its last one, picked with End and Enter.
// (Wine adds an "About Wine" item of its own, so the mnemonic A alone would be ambiguous.)
void checkAboutFromSystemMenu(const App& app) {
    SetForegroundWindow(app.dialog);
    PostMessageW(app.dialog, WM_SYSCHAR, VK_SPACE, 0x20000001);
    Sleep(500);
    PostMessageW(app.dialog, WM_KEYDOWN, VK_END, 1);
    PostMessageW(app.dialog, WM_KEYDOWN, VK_RETURN, 1);
    HWND about = nullptr;
    waitFor([&] { return (about = topLevel(app, L"About Cirrowisp")) != nullptr; }, 10000);
    check(about != nullptr, "system menu: its last item opens the About box");
    if (about) {
        PostMessageW(about, WM_CLOSE, 0, 0);
        check(waitFor([&] { return !IsWindow(about); }), "close box closes the About box");
    } else {
        PostMessageW(app.dialog, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageW(app.dialog, WM_KEYDOWN, VK_ESCAPE, 1);
    }
}

void phaseDefaults(const std::string& exe, const std::string& shots) {
    checkResources(exe);
    UnitMapper units;
    check(units.ok(), "dialog-unit mapper");
    App app;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    if (!start(app, exe, temp)) {
        check(false, "Cirrowisp.exe shows \"FSX-Cirrowisp generator\"");
        return;
    }
    check(true, "Cirrowisp.exe shows \"FSX-Cirrowisp generator\"");
    // The picture for the README, as the dialog first appears.
    Sleep(1000);
    check(!shots.empty() && saveScreenshot(app.dialog, shots + "\\generator-dialog.bmp"),
          "dialog screenshot");
    checkDialogFrame(app, units);
    checkTabOrderAndFocus(app);  // before anything moves the focus
    checkControls(app.dialog, kGeneratorTable, std::size(kGeneratorTable), units, "dialog");
    const struct {
        int id;
        bool ticked;
    } boxes[] = {{IDC_PISTON, false},       {IDC_JET, true},     {IDC_NONE, false},
                 {IDC_HELO_TURBINE, false}, {IDC_ROCKET, false}, {IDC_TURBOPROP, true},
                 {IDC_FLYABLE, false}};
    bool defaultsShown = true;
    for (const auto& box : boxes) {
        defaultsShown = defaultsShown && (send(GetDlgItem(app.dialog, box.id), BM_GETCHECK) ==
                                          BST_CHECKED) == box.ticked;
    }
    check(defaultsShown, "check boxes show the defaults: Jet and Turboprop ticked");
    const std::wstring path = windowText(GetDlgItem(app.dialog, IDC_SIMULATOR_PATH));
    check(path == L".\\Aircraft\\", "path field without a registry entry is .\\Aircraft\\",
          narrow(path));
    // The icons are read in process by generator_dialog_tests: Wine answers WM_GETICON and
    // WM_QUERYDRAGICON from another process with 0.
    checkTemperatureTyping(app);
    checkAboutBox(app, units, shots);
    checkAboutFromSystemMenu(app);

    PostMessageW(app.dialog, WM_CLOSE, 0, 0);
    DWORD code = 99;
    check(waitExit(app, code) && code == 0, "close box ends the program with exit code 0",
          std::to_string(code));
}

// ---- phase 2: with the registry entry ---------------------------------------------------

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
    removeTree(root);
    makeFolders(root + "\\SimObjects\\Airplanes\\Jet");
    makeFolders(root + "\\SimObjects\\Airplanes\\Flyer\\panel");
    makeFolders(root + "\\MyTraffic\\Aircraft\\Piston");
    writeFile(root + "\\SimObjects\\Airplanes\\Jet\\aircraft.cfg", kJetInput);
    writeFile(root + "\\SimObjects\\Airplanes\\Flyer\\aircraft.cfg", kFlyableInput);
    writeFile(root + "\\MyTraffic\\Aircraft\\Piston\\aircraft.cfg", kPistonInput);
}

void checkFile(const std::string& path, const std::string& wanted, const std::string& name) {
    std::string content;
    const bool read = readFile(path, content);
    check(read && content == wanted, name, read ? "content differs:\n" + content : "missing");
}

void checkRefused(App& app, const std::string& root, const wchar_t* digits, bool withEnter,
                  const std::string& what) {
    const auto before = snapshot(root);
    HWND edit = GetDlgItem(app.dialog, IDC_TEMPERATURE);
    send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-27"));
    send(edit, EM_SETSEL, withEnter ? 0 : 1, -1);  // keep or replace the minus sign
    typeText(edit, digits);
    send(app.dialog, WM_NEXTDLGCTL,
         reinterpret_cast<WPARAM>(GetDlgItem(app.dialog, IDC_EFFECT_NAME)), TRUE);
    if (withEnter) {
        // Enter in an edit field goes to the default button, Start.
        PostMessageW(GetDlgItem(app.dialog, IDC_EFFECT_NAME), WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(GetDlgItem(app.dialog, IDC_EFFECT_NAME), WM_KEYUP, VK_RETURN, 0xC0000001);
    } else {
        clickStart(app);
    }
    const MessageBoxSeen box = answerMessageBox(app);
    check(box.window && box.title == L"Cirrowisp" &&
              box.text == L"Please enter an integer between -50 and 0.",
          what + " refused with the range message", narrow(box.title) + " / " + narrow(box.text));
    check(waitFor([&] { return focusOf(app) == edit; }, 5000),
          what + ": focus back on the temperature field");
    check(snapshot(root) == before, what + ": no file touched");
}

void checkRun(App& app, const std::string& root, const std::string& summary,
              const std::string& what) {
    clickStart(app);
    const MessageBoxSeen box = answerMessageBox(app);
    std::wstring wanted(summary.begin(), summary.end());
    check(box.window && box.title == L"Cirrowisp" && box.text == wanted,
          what + ": summary box equals summaryText", narrow(box.title) + " / " + narrow(box.text));
    const std::string air = root + "\\SimObjects\\Airplanes\\";
    const std::string traffic = root + "\\MyTraffic\\Aircraft\\";
    checkFile(air + "Jet\\aircraft.cfg", kJetOutput, what + ": jet patched");
    checkFile(air + "Jet\\without_contrails_aircraft.cfg", kJetInput,
              what + ": jet backup is the original");
    checkFile(traffic + "Piston\\aircraft.cfg", kPistonOutput,
              what + ": piston contrail removed, temperature kept");
    checkFile(traffic + "Piston\\without_contrails_aircraft.cfg", kPistonInput,
              what + ": piston backup is the original");
    checkFile(air + "Flyer\\aircraft.cfg", kFlyableInput, what + ": flyable aircraft left alone");
    check(!exists(air + "Flyer\\without_contrails_aircraft.cfg") &&
              !exists(air + "Jet\\new_aircraft.cfg") &&
              !exists(traffic + "Piston\\new_aircraft.cfg"),
          what + ": no stray backup or temporary file");
}

// The system menu's Restore item after the runs: it asks first, naming the folder; No changes
// nothing; Yes gives back the tree as it was before the first run (the flyable aircraft, left
// alone by the runs, included), and the summary shows in a box titled like a run's.
void checkRestore(App& app, const std::string& root, const std::string& scratch) {
    const auto patched = snapshot(root);
    PostMessageW(app.dialog, WM_SYSCOMMAND, IDM_RESTORE, 0);
    MessageBoxSeen question = answerMessageBox(app, 60000, IDNO);
    check(question.window && question.title == L"Cirrowisp" &&
              narrow(question.text).find(root) != std::string::npos,
          "Restore asks first, naming the folder", narrow(question.text));
    check(snapshot(root) == patched, "Restore answered No changes nothing");

    PostMessageW(app.dialog, WM_SYSCOMMAND, IDM_RESTORE, 0);
    question = answerMessageBox(app, 60000, IDYES);
    const MessageBoxSeen box = answerMessageBox(app);
    cirrowisp::RestoreTotals totals;
    totals.aiRestored = 2;
    const std::string summary = cirrowisp::restoreSummaryText(totals);
    check(question.window && box.window && box.title == L"Cirrowisp" &&
              box.text == std::wstring(summary.begin(), summary.end()),
          "Restore answered Yes: summary box equals restoreSummaryText",
          narrow(box.title) + " / " + narrow(box.text));
    const std::string fresh = scratch + "\\before-run";
    makeSampleTree(fresh);
    const auto restored = snapshot(root);
    const auto wanted = snapshot(fresh);
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
    check(differences.empty(), "Restore gives back the tree before the first run", differences);
    removeTree(fresh);
    check(running(app) && IsWindowEnabled(app.dialog), "dialog back after the restore");
}

void checkFileError(App& app, const std::string& scratch) {
    // A folder standing where the backup should go: the backup rename has to fail.
    const std::string root = scratch + "\\broken";
    removeTree(root);
    const std::string aircraft = root + "\\SimObjects\\Airplanes\\Broken";
    makeFolders(aircraft + "\\without_contrails_aircraft.cfg");
    writeFile(aircraft + "\\aircraft.cfg", kJetInput);
    const std::wstring wideRoot(root.begin(), root.end());
    send(GetDlgItem(app.dialog, IDC_SIMULATOR_PATH), WM_SETTEXT, 0,
         reinterpret_cast<LPARAM>(wideRoot.c_str()));
    clickStart(app);
    const MessageBoxSeen box = answerMessageBox(app);
    const std::string text = narrow(box.text);
    check(box.window && box.title == L"Cirrowisp" &&
              text.find("aircraft.cfg") != std::string::npos &&
              text.find("Broken") != std::string::npos,
          "file error shown in a message box naming the file", text);
    check(text.find("Scanned") == std::string::npos, "no summary after a file error");
    std::printf("     message box text: %s\n", text.c_str());
    check(running(app) && IsWindow(app.dialog) && IsWindowVisible(app.dialog) &&
              IsWindowEnabled(app.dialog),
          "dialog still open after the file error");
}

void phaseRegistry(const std::string& exe, const std::string& root, const std::string& scratch) {
    makeFolders(scratch);
    makeSampleTree(root);
    App app;
    if (!start(app, exe, scratch)) {
        check(false, "Cirrowisp.exe shows \"FSX-Cirrowisp generator\"");
        return;
    }
    const std::wstring path = windowText(GetDlgItem(app.dialog, IDC_SIMULATOR_PATH));
    check(path == std::wstring(root.begin(), root.end()),
          "path field shows the registered setup path", narrow(path));

    checkRefused(app, root, L"51", false, "-51 by Start");
    checkRefused(app, root, L"5", true, "5 by Enter");

    send(GetDlgItem(app.dialog, IDC_TEMPERATURE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-27"));
    cirrowisp::ScanTotals first;
    first.aiAircraft = 2;
    first.contrailsAdded = 1;
    first.temperaturesChanged = 1;
    checkRun(app, root, cirrowisp::summaryText(first), "first run");
    cirrowisp::ScanTotals second;
    second.aiAircraft = 2;
    checkRun(app, root, cirrowisp::summaryText(second), "second run");
    checkRestore(app, root, scratch);

    checkFileError(app, scratch);

    send(app.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(app.dialog, IDCANCEL)),
         TRUE);
    PostMessageW(GetDlgItem(app.dialog, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1);
    DWORD code = 99;
    check(waitExit(app, code) && code == 0, "Escape ends the program with exit code 0",
          std::to_string(code));
    // The message box title is the name the executable has when it runs.
    const std::string renamed = scratch + "\\Contrail Maker.exe";
    CopyFileA(exe.c_str(), renamed.c_str(), FALSE);
    App copy;
    if (!start(copy, renamed, scratch)) {
        check(false, "renamed copy starts");
        return;
    }
    send(GetDlgItem(copy.dialog, IDC_TEMPERATURE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    clickStart(copy);
    const MessageBoxSeen box = answerMessageBox(copy);
    check(box.title == L"Contrail Maker" && box.text == L"Please enter an integer.",
          "renamed copy titles its message boxes \"Contrail Maker\"",
          narrow(box.title) + " / " + narrow(box.text));
    PostMessageW(copy.dialog, WM_CLOSE, 0, 0);
    waitExit(copy, code);
}

// ---- phase 3: paths in any script ---------------------------------------------------------

// `aircraft` jets wait below `simulator`, treated and then restored; the script that made them
// checks the files. The
// backup of `failing` cannot be made: its simulator folder ends the run with a file error.
void phaseUnicode(const std::string& exe, const std::wstring& registered,
                  const std::wstring& simulator, int aircraft, const std::wstring& failing) {
    App app;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    if (!start(app, exe, temp)) {
        check(false, "Cirrowisp.exe shows \"FSX-Cirrowisp generator\"");
        return;
    }
    HWND field = GetDlgItem(app.dialog, IDC_SIMULATOR_PATH);
    check(windowText(field) == registered, "path field shows the registered setup path",
          narrow(windowText(field)));
    send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    typeText(field, simulator);
    check(windowText(field) == simulator, "simulator folder typed into the path field",
          narrow(windowText(field)));
    clickStart(app);
    const MessageBoxSeen box = answerMessageBox(app);
    cirrowisp::ScanTotals totals;
    totals.aiAircraft = totals.contrailsAdded = totals.temperaturesChanged = aircraft;
    const std::string summary = cirrowisp::summaryText(totals);
    check(box.text == std::wstring(summary.begin(), summary.end()),
          "summary box: every aircraft treated", narrow(box.text));
    // The restore's boxes show the path as it is too; every aircraft had its backup made.
    PostMessageW(app.dialog, WM_SYSCOMMAND, IDM_RESTORE, 0);
    const MessageBoxSeen question = answerMessageBox(app, 60000, IDYES);
    check(question.text.find(simulator) != std::wstring::npos,
          "Restore asks first, naming the folder as it is", narrow(question.text));
    const MessageBoxSeen restored = answerMessageBox(app);
    cirrowisp::RestoreTotals restoreTotals;
    restoreTotals.aiRestored = aircraft;
    const std::string restoreSummary = cirrowisp::restoreSummaryText(restoreTotals);
    check(restored.text == std::wstring(restoreSummary.begin(), restoreSummary.end()),
          "restore summary box: every aircraft restored", narrow(restored.text));
    const std::wstring failingSimulator = failing.substr(0, failing.find(L"\\SimObjects\\"));
    send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(failingSimulator.c_str()));
    clickStart(app);
    const MessageBoxSeen error = answerMessageBox(app);
    check(error.text.find(failing) != std::wstring::npos, "file error names the file as it is",
          narrow(error.text));
    PostMessageW(app.dialog, WM_CLOSE, 0, 0);
    DWORD code = 99;
    check(waitExit(app, code) && code == 0, "close box ends the program with exit code 0",
          std::to_string(code));
}

}  // namespace

int main(int argc, char** argv) {
    // The narrow arguments hold '?' for every character outside the ANSI code page.
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (argc >= 4 && std::strcmp(argv[2], "defaults") == 0) {
        phaseDefaults(argv[1], argv[3]);
    } else if (argc >= 5 && std::strcmp(argv[2], "registry") == 0) {
        phaseRegistry(argv[1], argv[3], argv[4]);
    } else if (argc >= 7 && wideCount == argc && std::strcmp(argv[2], "unicode") == 0) {
        phaseUnicode(argv[1], wide[3], wide[4], std::atoi(argv[5]), wide[6]);
    } else {
        std::fprintf(stderr,
                     "usage: cirrowisp_e2e EXE defaults SHOTS | EXE registry SIMULATOR SCRATCH |"
                     " EXE unicode REGISTERED SIMULATOR AIRCRAFT FAILING\n");
        return 2;
    }
    LocalFree(wide);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
