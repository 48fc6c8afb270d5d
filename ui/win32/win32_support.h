#pragma once

#include <windows.h>

#include <string>

namespace cirrowisp::win32 {

// The application's name as users see it in every message box title: the executable's file
// name without its extension, so a renamed copy calls itself by its new name.
std::string applicationName();

// A message box owned by `owner` and titled with the application's name; `text` is UTF-8, so
// a path in it shows whatever its characters.
int showMessage(HWND owner, const std::string& text, UINT type);

// Starts this program again with `parameters` (one Windows command line), elevated: Windows
// asks the user to consent first. False when it was not started (consent refused, no such
// verb).
bool startAsAdministrator(HWND owner, const std::string& parameters);

// The text of a control as ANSI bytes, of any length.
std::string controlText(HWND control);

// The text of a control as UTF-8, of any length: for the path field, which takes any character.
std::string controlTextUtf8(HWND control);

// Shows the busy cursor for as long as it lives, or until restore(); the previous cursor
// comes back either way, also when an error passes through.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void restore();

private:
    HCURSOR previous_;
    bool active_ = true;
};

}  // namespace cirrowisp::win32
