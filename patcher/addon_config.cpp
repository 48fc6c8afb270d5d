#include "patcher/addon_config.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

#include "patcher/byte_text.h"
#include "patcher/config_lines.h"
#include "patcher/text_encoding.h"
#include "patcher/utf16_text.h"

namespace cirrowisp {

namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Section name -> number -> key (lower case) -> value; the first of two equal keys counts.
using Sections = std::map<std::string, std::map<std::size_t, std::map<std::string, std::string>>>;

std::optional<std::size_t> sectionNumber(std::string_view digits) {
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return number;
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

// Every "[Name.N]" section of the text whose name is one of `names` (compared in lower case).
Sections readNumberedSections(std::string_view bytes,
                              std::initializer_list<std::string_view> names) {
    const std::string text = configTextAsUtf8(bytes);
    Sections sections;
    std::map<std::string, std::string>* current = nullptr;
    forEachConfigLine(text, [&](const ConfigLine& line) {
        if (line.isSection) {
            current = nullptr;
            const std::size_t dot = line.section.rfind('.');
            if (dot == std::string_view::npos)
                return;
            const std::string name = lowerCase(trim(line.section.substr(0, dot)));
            const auto number = sectionNumber(trim(line.section.substr(dot + 1)));
            if (number && std::any_of(names.begin(), names.end(), [&](std::string_view wanted) {
                    return equalsIgnoringAsciiCase(name, wanted);
                })) {
                current = &sections[name][*number];
            }
        } else if (current != nullptr) {
            current->try_emplace(lowerCase(line.key), line.value);
        }
    });
    return sections;
}

std::string valueOf(const std::map<std::string, std::string>& keys, const char* key) {
    const auto found = keys.find(key);
    return found == keys.end() ? std::string() : found->second;
}

// Only an explicit "false" switches an entry off; a missing or other value leaves it on.
bool isActive(const std::map<std::string, std::string>& keys) {
    return !equalsIgnoringAsciiCase(trim(valueOf(keys, "active")), "false");
}

}  // namespace

char32_t windows1252CodePoint(unsigned char byte) {
    static constexpr char32_t kHigh[32] = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

std::string configTextAsUtf8(std::string_view bytes) {
    const TextEncoding encoding = textEncodingOf(bytes);
    const std::string_view text = bytes.substr(byteOrderMark(encoding).size());
    if (!isUtf16(encoding)) {
        return std::string(text);
    }
    return utf8FromUtf16(utf16FromBytes(text, encoding == TextEncoding::utf16Little));
}

std::vector<std::string> readSimObjectsEntries(std::string_view bytes) {
    const Sections sections = readNumberedSections(bytes, {"entry"});
    std::vector<std::string> folders;
    if (const auto entries = sections.find("entry"); entries != sections.end()) {
        for (const auto& [number, keys] : entries->second) {
            std::string path = valueOf(keys, "path");
            if (isActive(keys) && !path.empty()) {
                folders.push_back(std::move(path));
            }
        }
    }
    return folders;
}

AddOnsList readAddOnsList(std::string_view bytes) {
    const Sections sections = readNumberedSections(bytes, {"package", "discoverypath"});
    AddOnsList list;
    if (const auto packages = sections.find("package"); packages != sections.end()) {
        for (const auto& [number, keys] : packages->second) {
            if (std::string path = valueOf(keys, "path"); !path.empty()) {
                list.packages.push_back({std::move(path), isActive(keys)});
            }
        }
    }
    if (const auto paths = sections.find("discoverypath"); paths != sections.end()) {
        for (const auto& [number, keys] : paths->second) {
            if (std::string path = valueOf(keys, "path"); !path.empty() && isActive(keys)) {
                list.discoveryPaths.push_back(std::move(path));
            }
        }
    }
    return list;
}

}  // namespace cirrowisp
