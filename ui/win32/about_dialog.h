#pragma once

#include <windows.h>

namespace cirrowisp::win32 {

// The small modal box that names the program and its version; opened from the system menu.
class AboutDialog {
public:
    INT_PTR doModal(HWND owner);

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace cirrowisp::win32
