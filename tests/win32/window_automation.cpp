#include "tests/win32/window_automation.h"

#include <cstdio>
#include <vector>

#include "res/resource.h"

namespace cirrowisp::e2e {

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

std::wstring widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

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

RECT rectInDialog(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool waitFor(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        if (condition())
            return true;
        Sleep(50);
    }
    return condition();
}

namespace {

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

}  // namespace

HWND topLevel(const App& app, const wchar_t* caption) {
    FindTopLevel find{app.process.dwProcessId, caption, nullptr};
    EnumWindows(&findTopLevel, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

bool start(App& app, const std::string& exe, const std::string& workingFolder,
           const std::wstring& parameters) {
    // Wide, so that parameters outside the ANSI code page reach the program as a wide command
    // line would give them (ShellExecuteExW passes its parameters so).
    const auto fromAnsi = [](const std::string& text) {
        std::wstring wide(text.size(), L'\0');
        wide.resize(static_cast<std::size_t>(
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                static_cast<int>(wide.size()))));
        return wide;
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const std::wstring program = fromAnsi(exe);
    const std::wstring folder = fromAnsi(workingFolder);
    std::wstring command = L"\"" + program + L"\"";
    if (!parameters.empty())
        command += L" " + parameters;
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &app.process)) {
        return false;
    }
    WaitForInputIdle(app.process.hProcess, 20000);
    return waitFor(
        [&] { return (app.dialog = topLevel(app, L"FSX-Cirrowisp generator")) != nullptr; }, 60000);
}

bool running(const App& app) {
    return app.process.hProcess && WaitForSingleObject(app.process.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> exitCode(App& app) {
    if (WaitForSingleObject(app.process.hProcess, 20000) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(app.process.hProcess, &code);
    CloseHandle(app.process.hProcess);
    CloseHandle(app.process.hThread);
    app.process = {};
    return code;
}

void stop(App& app) {
    if (!app.process.hProcess)
        return;
    if (running(app))
        TerminateProcess(app.process.hProcess, 1);
    exitCode(app);
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 20000, &result);
    return static_cast<LRESULT>(result);
}

HWND focusOf(const App& app) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const auto active = [&] {
        GetGUIThreadInfo(app.process.dwThreadId, &info);
        return info.hwndActive != nullptr;
    };
    // The virtual display has no window manager, and under load Wine can hand the activation to
    // the desktop just after a message box closes. The dialog keeps the control that had its
    // focus and gives it back when it is activated again, so ask once it is.
    if (!active() && app.dialog) {
        SetForegroundWindow(app.dialog);
        waitFor(active, 2000);
    }
    return info.hwndFocus;
}

void clickStart(const App& app) {
    PostMessageW(app.dialog, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(app.dialog, IDC_START)));
}

void typeText(HWND control, const std::wstring& text) {
    for (wchar_t c : text) send(control, WM_CHAR, c, 1);
}

void setText(HWND control, const std::wstring& text) {
    send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

MessageBoxSeen answerMessageBox(const App& app, DWORD milliseconds, int button) {
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

namespace {
INT_PTR CALLBACK ignoreMessages(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}
}  // namespace

UnitMapper::UnitMapper() {
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
                                         &ignoreMessages, 0);
}

UnitMapper::~UnitMapper() {
    if (window_)
        DestroyWindow(window_);
}

RECT UnitMapper::map(int x, int y, int w, int h) const {
    RECT r{x, y, w, h};
    MapDialogRect(window_, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

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

}  // namespace cirrowisp::e2e
