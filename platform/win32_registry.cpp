#include "platform/win32_registry.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

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

std::optional<std::string> Win32Registry::queryLocalMachineValue(std::string_view subKey,
                                                                 std::string_view name,
                                                                 std::size_t bufferSize) {
    const std::wstring subKeyText = toWide(subKey);
    const std::wstring nameText = toWide(name);
    std::wstring buffer(bufferSize, L'\0');

    // A 64-bit program asking for KEY_QUERY_VALUE alone reads the 64-bit view, where a
    // 32-bit installer never wrote.
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKeyText.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                      &handle) != ERROR_SUCCESS) {
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

}  // namespace cirrowisp
