// The generator dialog in this process: what another process cannot read from it under Wine
// (its system menu and its icons) is checked from a second thread while the dialog runs.
#include "ui/win32/generator_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "patcher/simulator_location.h"
#include "res/resource.h"
#include "tests/support/fake_file_system.h"

namespace cirrowisp::win32 {
namespace {

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    if (std::wstring(caption) == L"FSX-Cirrowisp generator") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs the dialog modally on this thread and `inspect` on another once the window is up;
// then closes the dialog.
void whileDialogRuns(GeneratorDialog& dialog, const std::function<void(HWND)>& inspect) {
    const DWORD uiThread = GetCurrentThreadId();
    std::thread inspector([&] {
        HWND window = nullptr;
        for (int i = 0; i < 1200 && !window; ++i) {  // up to a minute on a busy machine
            EnumThreadWindows(uiThread, &findDialog, reinterpret_cast<LPARAM>(&window));
            if (!window)
                Sleep(50);
        }
        if (window) {
            inspect(window);
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        } else {
            ADD_FAILURE() << "the dialog did not open";
        }
    });
    const INT_PTR result = dialog.doModal(nullptr);
    inspector.join();
    EXPECT_EQ(result, IDCANCEL);
}

TEST(GeneratorDialogTest, OptionsStartFromTheDefaultsAndTheLookedUpPath) {
    FakeFileSystem fileSystem;  // no run starts here
    GeneratorDialog dialog(fileSystem);
    EXPECT_EQ(dialog.options().maxContrailTemperature, -27);
    EXPECT_EQ(dialog.options().effectName, "fx_Cirrowisp");
    EXPECT_EQ(dialog.options().simulatorPath, SimulatorPathLookup::lastKnownPath());
}

TEST(GeneratorDialogTest, SystemMenuEndsWithTheRestoreAndTheAboutItem) {
    FakeFileSystem fileSystem;  // no run starts here
    GeneratorDialog dialog(fileSystem);
    whileDialogRuns(dialog, [](HWND window) {
        HMENU menu = GetSystemMenu(window, FALSE);
        ASSERT_NE(menu, nullptr);
        const int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 3);
        MENUITEMINFOW separator{};
        separator.cbSize = sizeof separator;
        separator.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(count - 3), TRUE, &separator));
        EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
        wchar_t text[64] = {};
        EXPECT_EQ(GetMenuItemID(menu, count - 2), static_cast<UINT>(IDM_RESTORE));
        GetMenuStringW(menu, static_cast<UINT>(count - 2), text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text), L"&Restore original files...");
        EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
        GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text), L"&About Cirrowisp...");
    });
}

TEST(GeneratorDialogTest, IconIsTheWindowsLargeAndSmallIconAndTheDragIcon) {
    FakeFileSystem fileSystem;  // no run starts here
    GeneratorDialog dialog(fileSystem);
    whileDialogRuns(dialog, [](HWND window) {
        const LRESULT big = SendMessageW(window, WM_GETICON, ICON_BIG, 0);
        const LRESULT small = SendMessageW(window, WM_GETICON, ICON_SMALL, 0);
        EXPECT_NE(big, 0);
        EXPECT_NE(small, 0);
        EXPECT_EQ(SendMessageW(window, WM_QUERYDRAGICON, 0, 0), big);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(small), &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    });
}

TEST(GeneratorDialogTest, MinimizedWindowSurvivesPaintingItsIcon) {
    FakeFileSystem fileSystem;  // no run starts here
    GeneratorDialog dialog(fileSystem);
    whileDialogRuns(dialog, [](HWND window) {
        // Under Wine the state change can trail the message while the X server catches up.
        const auto settlesTo = [window](bool iconic) {
            for (int i = 0; i < 250 && (IsIconic(window) != FALSE) != iconic; ++i) Sleep(20);
            return (IsIconic(window) != FALSE) == iconic;
        };
        SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(settlesTo(true));
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(settlesTo(false));
    });
}

}  // namespace
}  // namespace cirrowisp::win32
