#pragma once

#include <functional>
#include <string_view>

namespace cirrowisp {

// One line that means something in a simulator's configuration file (fsx.cfg, simobjects.cfg,
// add-ons.cfg): a section header, or a key and its value.
struct ConfigLine {
    bool isSection = false;
    // A header's name between its brackets, trimmed; empty for a header with no closing
    // bracket, which names no section.
    std::string_view section;
    std::string_view key;    // trimmed
    std::string_view value;  // trimmed, and a pair of double quotes around it taken off
};

// Steps through `text` line by line as the simulator reads these files: CR LF or LF, blanks
// (spaces, tabs, a stray CR) around names and values, lines starting with ';' or "//" and
// lines without '=' skipped. `text` is already UTF-8 (configTextAsUtf8) or in the code page.
void forEachConfigLine(std::string_view text, const std::function<void(const ConfigLine&)>& visit);

}  // namespace cirrowisp
