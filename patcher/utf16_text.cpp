#include "patcher/utf16_text.h"

namespace cirrowisp {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::u16string utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t smallest = 0;  // below it, the sequence is an over-long form
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++pos;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            smallest = 0x10000;
        }
        bool valid = length != 0 && pos + length <= text.size();
        for (std::size_t i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[pos + i]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        valid = valid && c >= smallest && c <= 0x10FFFF;
        if (!valid) {
            out += kReplacement;
            ++pos;
            continue;
        }
        pos += length;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);  // a surrogate of its own included
        }
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const char32_t unit = text[pos];
        if (isHighSurrogate(unit) && pos + 1 < text.size() && isLowSurrogate(text[pos + 1])) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[pos + 1] - 0xDC00));
            ++pos;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::u16string utf16FromBytes(std::string_view bytes, bool littleEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        units += static_cast<char16_t>(littleEndian ? first | second << 8 : first << 8 | second);
    }
    return units;
}

std::string bytesFromUtf16(std::u16string_view units, bool littleEndian) {
    std::string bytes;
    bytes.reserve(2 * units.size());
    for (const char16_t unit : units) {
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    }
    return bytes;
}

std::size_t findLoneSurrogate(std::u16string_view units) {
    for (std::size_t pos = 0; pos < units.size(); ++pos) {
        const char32_t unit = units[pos];
        if (isHighSurrogate(unit) && pos + 1 < units.size() && isLowSurrogate(units[pos + 1])) {
            ++pos;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            return pos;
        }
    }
    return std::u16string_view::npos;
}

std::size_t utf16Length(std::string_view text) {
    return utf16FromUtf8(text).size();
}

}  // namespace cirrowisp
