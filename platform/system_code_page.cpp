#include "platform/system_code_page.h"

#include "patcher/byte_text.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/win32_text.h"
#endif

namespace cirrowisp {

void installSystemCodePage() {
#ifdef _WIN32
    CodePage codePage;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        codePage.setLeadByte(static_cast<unsigned char>(byte),
                             IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byte)) != FALSE);
    }
    CodePage::setActive(codePage);
#endif
}

std::optional<std::string> inSystemCodePage(const std::string& text) {
#ifdef _WIN32
    const std::wstring wide = toWide(text);
    if (wide.empty() || GetACP() == CP_UTF8) {
        return text;
    }
    // No best fit: a character the code page lacks must not turn into a look-alike or a '?'.
    BOOL lacking = FALSE;
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, &lacking);
    if (size <= 0 || lacking) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        bytes.data(), size, nullptr, nullptr);
    return bytes;
#else
    return text;
#endif
}

std::string fromSystemCodePage(const std::string& bytes) {
#ifdef _WIN32
    if (bytes.empty() || GetACP() == CP_UTF8) {
        return bytes;
    }
    const int size =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return fromWide(wide);
#else
    return bytes;
#endif
}

}  // namespace cirrowisp
