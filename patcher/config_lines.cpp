#include "patcher/config_lines.h"

#include "patcher/byte_text.h"

namespace cirrowisp {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

void forEachConfigLine(std::string_view text, const std::function<void(const ConfigLine&)>& visit) {
    // Scan through the text line by line; only the current line is looked at.
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.starts_with("//"))
            continue;
        ConfigLine found;
        if (line.front() == '[') {
            found.isSection = true;
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos)
                found.section = trim(line.substr(1, close - 1));
            visit(found);
            continue;
        }
        // Code-page aware: in a double-byte code page an '=' must be a character of its own.
        const std::size_t equals = findEquals(line);
        if (equals == std::string_view::npos)
            continue;
        found.key = trim(line.substr(0, equals));
        found.value = trim(line.substr(equals + 1));
        // A path with blanks may come in quotes; the quotes are not part of it.
        if (found.value.size() >= 2 && found.value.front() == '"' && found.value.back() == '"')
            found.value = found.value.substr(1, found.value.size() - 2);
        visit(found);
    }
}

}  // namespace cirrowisp
