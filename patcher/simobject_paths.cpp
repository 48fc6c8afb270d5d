#include "patcher/simobject_paths.h"

#include <charconv>
#include <map>
#include <optional>

#include "patcher/addon_config.h"
#include "patcher/byte_text.h"
#include "patcher/config_lines.h"

namespace cirrowisp {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view upper) {
    return a.size() == upper.size() && findUpper(a, upper) == 0;
}

// "SimObjectPaths.N" with N written as the simulator writes it: decimal, no sign, no leading
// zero. The simulator asks for each key by name, so "SimObjectPaths.01" is never asked for.
std::optional<std::size_t> entryNumber(std::string_view key) {
    constexpr std::string_view kPrefix = "SIMOBJECTPATHS.";
    if (key.size() <= kPrefix.size() ||
        !equalsIgnoringCase(key.substr(0, kPrefix.size()), kPrefix)) {
        return std::nullopt;
    }
    const std::string_view digits = key.substr(kPrefix.size());
    if (digits.size() > 1 && digits.front() == '0') {
        return std::nullopt;
    }
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

std::vector<std::string> readSimObjectPaths(std::string_view bytes) {
    // Saved as UTF-16 by an editor, the file would otherwise list nothing, without a word.
    const std::string text = configTextAsUtf8(bytes);
    std::map<std::size_t, std::string> entries;
    bool inMain = false;
    forEachConfigLine(text, [&](const ConfigLine& line) {
        if (line.isSection) {
            inMain = equalsIgnoringCase(line.section, "MAIN");
        } else if (inMain) {
            if (const auto number = entryNumber(line.key))
                entries.try_emplace(*number, line.value);
        }
    });

    std::vector<std::string> folders;
    for (std::size_t number = 0;; ++number) {
        const auto entry = entries.find(number);
        if (entry == entries.end()) {
            break;
        }
        if (!entry->second.empty()) {
            folders.push_back(entry->second);
        }
    }
    return folders;
}

}  // namespace cirrowisp
