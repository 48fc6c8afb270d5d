#pragma once

#include <string>
#include <vector>

#include "patcher/patch_options.h"

namespace cirrowisp {

class FileSystem;

// The folders whose direct subfolders are aircraft folders for one run: the two fixed ones
// below the simulator folder, then those listed in options.simObjectPaths.
struct AircraftRoots {
    std::vector<std::string> folders;  // existing, each once, in the order first reached
    std::vector<std::string>
        missing;  // listed folders that are not there (fixed ones are optional)
    std::vector<std::string> lookedFor;  // every folder tried, as an absolute path
};

// Finds the roots as the simulator would: a listed path that is not absolute is taken from the
// simulator folder; "." and ".." are resolved by name, and names match without regard to
// letter case, on every host, because the simulator (under Wine too) finds folders that way.
// A folder reached twice, however spelt, is in `folders` once.
AircraftRoots findAircraftRoots(const PatchOptions& options, FileSystem& fileSystem);

}  // namespace cirrowisp
