#pragma once

#include <string>

namespace cirrowisp {

// `text` written `times` times in a row: long values made of multi-byte characters.
inline std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

}  // namespace cirrowisp
