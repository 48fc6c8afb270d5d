#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace cirrowisp {

// Which bytes start a double-byte character in the ANSI code page. Empty on hosts without the
// notion (every byte is a character of its own); the Windows build fills it from the system.
class CodePage {
public:
    static const CodePage& active();
    // Installs the table used by active(); the Windows front ends call this once at start-up.
    static void setActive(const CodePage& codePage);

    void setLeadByte(unsigned char byte, bool lead) {
        leadBytes_ += static_cast<int>(lead) - static_cast<int>(lead_[byte]);
        lead_[byte] = lead;
    }
    bool isLeadByte(unsigned char byte) const { return lead_[byte]; }
    // False for a single-byte code page, where every byte starts a character.
    bool hasLeadBytes() const { return leadBytes_ != 0; }

private:
    std::array<bool, 256> lead_{};
    int leadBytes_ = 0;
};

// Position of the first match of `upperNeedle` (ASCII, upper case) in the upper-case copy of
// `text`, or npos. Only character starts can begin a match, and trail bytes of double-byte
// characters are never upper-cased, so a trail byte that looks like a letter never matches.
std::size_t findUpper(std::string_view text, std::string_view upperNeedle,
                      const CodePage& codePage = CodePage::active());

// The first "=" that is a character of its own, or npos.
std::size_t findEquals(std::string_view text, const CodePage& codePage = CodePage::active());

// `c` in lower case when it is an ASCII capital; every other byte as it is.
inline char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `a` and `b` differ at most in the case of ASCII letters: how Windows and the simulator
// match names of files, keys and sections. Exact for UTF-8, whose multi-byte characters are
// made of bytes above 0x7F only.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// strtod's reading of a decimal number, independent of the process locale: leading white space,
// an optional sign, digits with an optional point, an optional exponent, the longest valid
// prefix; 0 when no digits begin the text. No hexadecimal, INF or NAN. Overflow gives +-HUGE_VAL.
double parseDecimal(std::string_view text);

// Truncation toward zero as a signed 64-bit integer whose low 32 bits are the code; a value
// outside the 64-bit range gives 0.
std::int32_t engineCodeFromValue(double value);

}  // namespace cirrowisp
