#include "patcher/cfg_keys.h"

#include <cstddef>

namespace cirrowisp {

bool startsWithUpper(std::string_view line, std::string_view upperNeedle) {
    if (line.size() < upperNeedle.size()) {
        return false;
    }
    for (std::size_t i = 0; i < upperNeedle.size(); ++i) {
        const char c = line[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c) != upperNeedle[i]) {
            return false;
        }
    }
    return true;
}

double keyValue(std::string_view line) {
    const std::size_t equals = findEquals(line);
    return parseDecimal(equals == std::string_view::npos ? line : line.substr(equals + 1));
}

}  // namespace cirrowisp
