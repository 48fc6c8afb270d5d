#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cirrowisp {

class FileSystem;

// Where the simulator would find the effect a run writes into aircraft.cfg.
struct EffectSearch {
    // The simulator folder's Effects folder; empty when the folder has none (a tree that is
    // not a simulator, where a missing effect file means nothing).
    std::string effectsFolder;
    // The folder that holds the effect file; nullopt when none does.
    std::optional<std::string> foundIn;

    // A simulator whose contrails would never show.
    bool missing() const { return !effectsFolder.empty() && !foundIn; }
};

// Looks for `<effectName>.fx` in `simulatorFolder`'s Effects folder, then in each of
// `packageEffectFolders`, with names compared in any letter case, as the simulator's
// Windows file system compares them (a Wine tree on Linux keeps the names as installed).
EffectSearch findEffectFile(FileSystem& fileSystem, const std::string& simulatorFolder,
                            const std::vector<std::string>& packageEffectFolders,
                            const std::string& effectName);

// One line for the user when search.missing(): which file the simulator lacks and where it was
// looked for. Without it a run patches every aircraft and not one contrail shows.
std::string missingEffectText(const EffectSearch& search, const std::string& effectName);

}  // namespace cirrowisp
