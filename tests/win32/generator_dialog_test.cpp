// The generator dialog in this process: what another process cannot read from it under Wine
// (its system menu and its icons) is checked from a second thread while the dialog runs.
#include "ui/win32/generator_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "patcher/simulator_location.h"
#include "platform/host_file_system.h"
#include "platform/win32_text.h"
#include "res/resource.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/temp_tree.h"

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
            for (int i = 0; i < 100 && (IsIconic(window) != FALSE) != iconic; ++i) Sleep(20);
            return (IsIconic(window) != FALSE) == iconic;
        };
        // Wine leaves the minimizing of a window the X server has mapped to the window manager,
        // and the virtual display has none: then the state never changes, however long one
        // waits. The painting is what is tested here, so the window is then given the state
        // directly, as the window manager would have.
        const auto setMinimized = [window](bool on) {
            const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
            SetWindowLongPtrW(window, GWL_STYLE, on ? style | WS_MINIMIZE : style & ~WS_MINIMIZE);
        };
        SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (!settlesTo(true))
            setMinimized(true);
        ASSERT_TRUE(IsIconic(window));
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_TRUE(IsWindow(window));
        SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        if (!settlesTo(false))
            setMinimized(false);
    });
}

// A registry value this test writes, removed again when it ends (with its key).
class ScopedRegistryValue {
public:
    ScopedRegistryValue(HKEY root, REGSAM view, const std::wstring& key, const std::wstring& name,
                        const std::string& data)
        : root_(root), view_(view), key_(key) {
        HKEY handle = nullptr;
        EXPECT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                                  &handle, nullptr),
                  ERROR_SUCCESS);
        const std::wstring text = toWide(data);
        RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
    ~ScopedRegistryValue() { RegDeleteKeyExW(root_, key_.c_str(), view_, 0); }
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

private:
    HKEY root_;
    REGSAM view_;
    std::wstring key_;
};

std::wstring menuText(HMENU menu, int position) {
    wchar_t text[512] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 512, MF_BYPOSITION);
    return text;
}

// Prepar3D v4 for the machine in the 64-bit view, v6 for this user: the submenu lists both in
// the table's order, above Restore; the first is the path field's default, and choosing the
// other fills the field with its folder.
TEST(GeneratorDialogTest, SimulatorSubmenuListsTheRegisteredInstallations) {
    testing::TempTree tree;
    tree.folder("P3D v4");
    tree.folder("P3D v6");
    const std::string v4 = tree.path("P3D v4");
    const std::string v6 = tree.path("P3D v6");
    ScopedRegistryValue machine(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY,
                                L"SOFTWARE\\Lockheed Martin\\Prepar3D v4", L"SetupPath", v4 + "\\");
    ScopedRegistryValue user(HKEY_CURRENT_USER, KEY_WOW64_64KEY,
                             L"Software\\Lockheed Martin\\Prepar3D v6", L"AppPath", v6);
    SimulatorPathLookup::reset();
    const auto fileSystem = makeHostFileSystem();
    GeneratorDialog dialog(*fileSystem);
    EXPECT_EQ(dialog.options().simulatorPath, v4);
    whileDialogRuns(dialog, [&](HWND window) {
        HMENU menu = GetSystemMenu(window, FALSE);
        ASSERT_NE(menu, nullptr);
        const int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 4);
        EXPECT_EQ(menuText(menu, count - 3), L"&Simulator");
        HMENU simulators = GetSubMenu(menu, count - 3);
        ASSERT_NE(simulators, nullptr);
        ASSERT_EQ(GetMenuItemCount(simulators), 2);
        EXPECT_EQ(menuText(simulators, 0), toWide("Prepar3D v4 (" + v4 + ")"));
        EXPECT_EQ(menuText(simulators, 1), toWide("Prepar3D v6 (" + v6 + ")"));
        EXPECT_TRUE(GetMenuState(simulators, 0, MF_BYPOSITION) & MF_CHECKED);

        SendMessageW(window, WM_SYSCOMMAND, GetMenuItemID(simulators, 1), 0);
        wchar_t path[512] = {};
        GetDlgItemTextW(window, IDC_SIMULATOR_PATH, path, 512);
        EXPECT_EQ(std::wstring(path), toWide(v6));
        EXPECT_TRUE(GetMenuState(simulators, 1, MF_BYPOSITION) & MF_CHECKED);
        EXPECT_FALSE(GetMenuState(simulators, 0, MF_BYPOSITION) & MF_CHECKED);
    });
}

}  // namespace
}  // namespace cirrowisp::win32
