#include "ui/win32/about_dialog.h"

#include "res/resource.h"

namespace cirrowisp::win32 {

INT_PTR AboutDialog::doModal(HWND owner) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), owner,
                           &dialogProc, 0);
}

INT_PTR CALLBACK AboutDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(window, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace cirrowisp::win32
