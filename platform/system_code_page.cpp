#include "platform/system_code_page.h"

#include "patcher/byte_text.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
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

}  // namespace cirrowisp
