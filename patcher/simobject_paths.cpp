#include "patcher/simobject_paths.h"

#include <charconv>
#include <map>
#include <optional>

#include "patcher/addon_config.h"
#include "patcher/byte_text.h"

namespace cirrowisp {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

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
    std::string_view configText = text;
    std::map<std::size_t, std::string> entries;
    bool inMain = false;
    // Scan through the text line by line; only the current line is looked at.
    while (!configText.empty()) {
        const std::size_t end = configText.find('\n');
        const std::string_view line = trim(configText.substr(0, end));
        configText.remove_prefix(end == std::string_view::npos ? configText.size() : end + 1);

        if (line.empty() || line.front() == ';' || line.starts_with("//")) {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inMain = close != std::string_view::npos &&
                     equalsIgnoringCase(trim(line.substr(1, close - 1)), "MAIN");
            continue;
        }
        const std::size_t equals = findEquals(line);
        if (!inMain || equals == std::string_view::npos) {
            continue;
        }
        if (const auto number = entryNumber(trim(line.substr(0, equals)))) {
            std::string_view value = trim(line.substr(equals + 1));
            // A path with blanks may come in quotes; the quotes are not part of it.
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            entries.try_emplace(*number, value);
        }
    }

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
