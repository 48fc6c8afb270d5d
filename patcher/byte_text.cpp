#include "patcher/byte_text.h"

#include <algorithm>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace cirrowisp {

namespace {

CodePage& activeCodePage() {
    static CodePage codePage;
    return codePage;
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The C locale's white space, which is what strtod skips whatever the process locale is.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool matchesAt(std::string_view text, std::size_t pos, std::string_view upperNeedle) {
    if (text.size() - pos < upperNeedle.size()) {
        return false;
    }
    for (std::size_t i = 0; i < upperNeedle.size(); ++i) {
        if (upperAscii(text[pos + i]) != upperNeedle[i]) {
            return false;
        }
    }
    return true;
}

// A lead byte and its trail byte form one character; a lead byte at the very end stands alone.
std::size_t characterSize(std::string_view text, std::size_t pos, const CodePage& codePage) {
    const bool lead = codePage.isLeadByte(static_cast<unsigned char>(text[pos]));
    return lead && pos + 1 < text.size() ? 2u : 1u;
}

}  // namespace

const CodePage& CodePage::active() {
    return activeCodePage();
}

void CodePage::setActive(const CodePage& codePage) {
    activeCodePage() = codePage;
}

std::size_t findUpper(std::string_view text, std::string_view upperNeedle,
                      const CodePage& codePage) {
    if (upperNeedle.empty()) {
        return 0;
    }
    if (text.size() < upperNeedle.size()) {
        return std::string_view::npos;
    }
    if (!codePage.hasLeadBytes()) {
        // Every byte starts a character: only bytes equal to the needle's first one, in either
        // case, need a closer look. Header and key tests run on every line of a section, and
        // the general walk below cost more than the rest of the rewrite together.
        const char first = upperNeedle.front();
        const char lower = (first >= 'A' && first <= 'Z') ? static_cast<char>(first + 32) : first;
        const std::size_t last = text.size() - upperNeedle.size();
        for (std::size_t pos = 0; pos <= last; ++pos) {
            const char c = text[pos];
            if ((c == first || c == lower) && matchesAt(text, pos, upperNeedle)) {
                return pos;
            }
        }
        return std::string_view::npos;
    }
    // A needle is plain ASCII, so inside a match every byte is a character of its own; only
    // the start has to be a character boundary.
    for (std::size_t pos = 0; pos < text.size();) {
        if (matchesAt(text, pos, upperNeedle)) {
            return pos;
        }
        pos += characterSize(text, pos, codePage);
    }
    return std::string_view::npos;
}

std::size_t findEquals(std::string_view text, const CodePage& codePage) {
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] == '=') {
            return pos;
        }
        pos += characterSize(text, pos, codePage);
    }
    return std::string_view::npos;
}

double parseDecimal(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t numberStart = pos;
    std::size_t intDigits = 0;
    std::size_t leadingZeros = 0;  // zeros before the first significant digit, point aside
    bool significant = false;
    while (pos < text.size() && isDigit(text[pos])) {
        if (!significant && text[pos] == '0') {
            ++leadingZeros;
        } else {
            significant = true;
        }
        ++intDigits;
        ++pos;
    }
    std::size_t fracDigits = 0;
    std::size_t fracLeadingZeros = 0;
    if (pos < text.size() && text[pos] == '.') {
        std::size_t p = pos + 1;
        while (p < text.size() && isDigit(text[p])) {
            if (!significant && text[p] == '0') {
                ++fracLeadingZeros;
            } else {
                significant = true;
            }
            ++fracDigits;
            ++p;
        }
        if (intDigits + fracDigits > 0) {
            pos = p;
        }
    }
    if (intDigits + fracDigits == 0) {
        return 0.0;
    }
    long long exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t p = pos + 1;
        bool negativeExponent = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
            negativeExponent = text[p] == '-';
            ++p;
        }
        if (p < text.size() && isDigit(text[p])) {
            while (p < text.size() && isDigit(text[p])) {
                if (exponent < 100000000) {  // saturate: far beyond any double either way
                    exponent = exponent * 10 + (text[p] - '0');
                }
                ++p;
            }
            if (negativeExponent) {
                exponent = -exponent;
            }
            pos = p;
        }
    }
    if (!significant) {
        return negative ? -0.0 : 0.0;
    }

    // from_chars does the correctly rounded conversion; the prefix checked above keeps it from
    // taking hexadecimal, INF or NAN, and the sign is applied here because it refuses '+'.
    double value = 0.0;
    const char* first = text.data() + numberStart;
    const char* last = text.data() + pos;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // Decide between overflow and underflow from the decimal exponent of the first
        // significant digit.
        const long long integerPart = static_cast<long long>(intDigits - leadingZeros);
        const long long magnitude = integerPart > 0
                                        ? integerPart - 1 + exponent
                                        : -static_cast<long long>(fracLeadingZeros) - 1 + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc() || end != last) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::int32_t engineCodeFromValue(double value) {
    // 2^63 is exact as a double; anything at or beyond it (or below -2^63) has no int64 value.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(value >= -kLimit && value < kLimit)) {
        return 0;
    }
    const auto whole = static_cast<std::int64_t>(std::trunc(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldAscii(x) == foldAscii(y);
           });
}

}  // namespace cirrowisp
