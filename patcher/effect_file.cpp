#include "patcher/effect_file.h"

#include <algorithm>

#include "patcher/addon_config.h"
#include "patcher/file_system.h"

namespace cirrowisp {

namespace {

// The name of the entry of `folder` called `name` in any case; nullopt when there is none.
std::optional<std::string> entryNamed(FileSystem& fileSystem, const std::string& folder,
                                      const std::string& name, bool wantFolder) {
    const auto listing = fileSystem.listFolder(folder);
    if (!listing) {
        return std::nullopt;
    }
    for (DirEntry entry; listing->next(entry);) {
        if (entry.isFolder == wantFolder && equalsIgnoringAsciiCase(entry.name, name)) {
            return entry.name;
        }
    }
    return std::nullopt;
}

}  // namespace

EffectSearch findEffectFile(FileSystem& fileSystem, const std::string& simulatorFolder,
                            const std::vector<std::string>& packageEffectFolders,
                            const std::string& effectName) {
    EffectSearch search;
    const std::string root = fileSystem.absolutePath(simulatorFolder);
    const auto effects = entryNamed(fileSystem, root, "Effects", true);
    if (!effects) {
        return search;
    }
    const char sep = fileSystem.separator();
    search.effectsFolder = root + (root.ends_with(sep) ? "" : std::string(1, sep)) + *effects;
    const std::string file = effectName + ".fx";
    std::vector<std::string> folders{search.effectsFolder};
    folders.insert(folders.end(), packageEffectFolders.begin(), packageEffectFolders.end());
    for (const std::string& folder : folders) {
        if (entryNamed(fileSystem, folder, file, false)) {
            search.foundIn = folder;
            break;
        }
    }
    return search;
}

std::string missingEffectText(const EffectSearch& search, const std::string& effectName) {
    return "The effect file " + effectName + ".fx is in neither " + search.effectsFolder +
           " nor an add-on package's effects: the simulator will show no contrail.";
}

}  // namespace cirrowisp
