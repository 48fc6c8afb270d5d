#pragma once

// Driving another process's dialog from outside, as a user would: starting it, finding its
// windows, typing, clicking, answering its message boxes, and the dialog-unit geometry and
// screenshots the checks compare against.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace cirrowisp::e2e {

std::string narrow(const std::wstring& text);  // to UTF-8
std::wstring widen(const std::string& text);   // byte for byte: for ASCII texts only

// Asks the window itself: GetWindowText does not reach the text of another process's
// controls.
std::wstring windowText(HWND window);
std::wstring className(HWND window);
DWORD styleOf(HWND window);
DWORD exStyleOf(HWND window);
std::string rectText(const RECT& r);
RECT rectInDialog(HWND dialog, HWND control);  // in the dialog's client coordinates

bool waitFor(const std::function<bool()>& condition, DWORD milliseconds = 20000);

// A started program under test and its main dialog.
struct App {
    PROCESS_INFORMATION process{};
    HWND dialog = nullptr;
};

HWND topLevel(const App& app, const wchar_t* caption);  // its visible dialog so titled, or null
// Starts `exe` in `workingFolder` (both in the ANSI code page, as a narrow argv gives them),
// with `parameters` after its name, and waits for its "FSX-Cirrowisp generator" dialog.
bool start(App& app, const std::string& exe, const std::string& workingFolder,
           const std::wstring& parameters = {});
bool running(const App& app);
std::optional<DWORD> exitCode(App& app);  // once the program ends; nullopt when it does not
void stop(App& app);                      // ends a program a failed test left running

LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
HWND focusOf(const App& app);
void clickStart(const App& app);
void typeText(HWND control, const std::wstring& text);
void setText(HWND control, const std::wstring& text);

// A message box the dialog opened, as it was read before it was answered.
struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
};

// Waits for the message box the dialog opens, reads it and presses its OK button (or the
// one given).
MessageBoxSeen answerMessageBox(const App& app, DWORD milliseconds = 60000, int button = IDOK);

// A hidden dialog in the same font as the program's, whose MapDialogRect turns dialog units
// into pixels the way the program's own dialog was laid out.
class UnitMapper {
public:
    UnitMapper();
    ~UnitMapper();
    UnitMapper(const UnitMapper&) = delete;
    UnitMapper& operator=(const UnitMapper&) = delete;
    // Position and size are converted separately, as the dialog manager lays out a template;
    // converting the right and bottom edges would round differently.
    RECT map(int x, int y, int w, int h) const;
    bool ok() const { return window_ != nullptr; }

private:
    HWND window_ = nullptr;
};

// Copies the window's area of the screen into a 24-bit BMP file.
bool saveScreenshot(HWND window, const std::string& path);

}  // namespace cirrowisp::e2e
