#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cirrowisp {

inline constexpr const char* kSimulatorConfigName = "fsx.cfg";

// The aircraft folders the simulator's configuration lists under [Main] as SimObjectPaths.0,
// SimObjectPaths.1, ..., in that order, as written (relative to the simulator folder, or
// absolute). Read the way the simulator reads the file: section and key names in any letter
// case, blanks around names and values, a value in double quotes, CR LF or LF, lines of any length,
// UTF-8 or UTF-16 with a byte order mark; lines starting with ';' or "//" and every other
// section are ignored. The numbering counts up from 0 and ends at
// the first number that is missing, as the simulator's own loop does; a number given twice
// keeps its first value, and an empty value names no folder but keeps the count going.
std::vector<std::string> readSimObjectPaths(std::string_view configText);

}  // namespace cirrowisp
