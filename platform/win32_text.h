#pragma once

#include <string>
#include <string_view>

#include "patcher/utf16_text.h"

namespace cirrowisp {

// Text crossing the Win32 boundary: UTF-8 inside the program, UTF-16 (wchar_t) for the W calls.
inline std::wstring toWide(std::string_view text) {
    const std::u16string units = utf16FromUtf8(text);
    return std::wstring(units.begin(), units.end());
}

inline std::string fromWide(std::wstring_view text) {
    return utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

// The system's own wording for an error code (GetLastError), in UTF-8, without the trailing
// line break and full stop.
std::string systemErrorText(unsigned long error);

}  // namespace cirrowisp
