#include "platform/win32_registry.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// Needs the declarations of windows.h first.
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "platform/win32_text.h"

namespace cirrowisp {

namespace {

// Closes the key on every way out, whatever the query returned.
class OpenKey {
public:
    explicit OpenKey(HKEY key) : key_(key) {}
    ~OpenKey() { RegCloseKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

}  // namespace

std::optional<std::string> Win32Registry::queryValue(RegistryRoot root, RegistryView view,
                                                     std::string_view subKey, std::string_view name,
                                                     std::size_t bufferSize) {
    const std::wstring subKeyText = toWide(subKey);
    const std::wstring nameText = toWide(name);
    std::wstring buffer(bufferSize, L'\0');

    // The view is always named: a program asking for KEY_QUERY_VALUE alone reads the view of
    // its own bitness, where an installer of the other one never wrote.
    const REGSAM viewFlag = view == RegistryView::bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const HKEY rootKey =
        root == RegistryRoot::localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(rootKey, subKeyText.c_str(), 0, KEY_QUERY_VALUE | viewFlag, &handle) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    const OpenKey key(handle);

    // The type is not asked for: the value is taken as UTF-16 text, whatever its characters.
    // Data larger than the buffer fails with ERROR_MORE_DATA and is not taken.
    DWORD size = static_cast<DWORD>(bufferSize * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), nameText.c_str(), nullptr, nullptr,
                         reinterpret_cast<LPBYTE>(buffer.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // Only the units the registry wrote count; nothing past the buffer is ever looked at.
    buffer.resize(std::min<std::size_t>(size / sizeof(wchar_t), bufferSize));
    return fromWide(buffer);
}

std::optional<std::string> Win32Registry::roamingAppData() {
    // The wide call: a user name outside the ANSI code page must not turn into '?'.
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return std::nullopt;
    }
    return fromWide(folder);
}

}  // namespace cirrowisp
