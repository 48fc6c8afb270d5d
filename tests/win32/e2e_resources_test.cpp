// The executable's resources, read as data without running it: the defaults mode.

#include "tests/win32/e2e_program.h"

namespace cirrowisp::e2e {
namespace {

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

}  // namespace
}  // namespace cirrowisp::e2e
