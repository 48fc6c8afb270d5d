#include "cli/scan_roots.h"

#include "patcher/effect_file.h"
#include "patcher/file_error.h"
#include "patcher/file_system.h"
#include "platform/simulator_folders.h"
#include "platform/system_code_page.h"

namespace cirrowisp {

std::optional<AircraftRoots> commandLineRoots(const CliOptions& options, PatchOptions& patch,
                                              const std::string& configFile, FileSystem& fileSystem,
                                              std::ostream& err) {
    // A mistyped folder would otherwise look like a simulator without aircraft.
    if (options.simulatorFolder &&
        fileSystem.listFolder(fileSystem.absolutePath(*options.simulatorFolder)) == nullptr) {
        err << "cirrowisp-cli: the simulator folder '" << *options.simulatorFolder
            << "' does not exist or is not a folder\n";
        return std::nullopt;
    }
    if (options.simObjectPaths) {
        try {
            const SimulatorFolders gathered = gatherSimulatorFolders(configFile);
            // A broken add-on.xml must not stop the run, nor pass unseen.
            for (const std::string& problem : gathered.problems) {
                err << "cirrowisp-cli: " << problem << '\n';
            }
            if (options.verbose) {
                for (const FolderList& list : gathered.lists) {
                    err << list.source << ": " << list.folders.size()
                        << (list.folders.size() == 1 ? " folder\n" : " folders\n");
                }
            }
            patch.simObjectPaths = gathered.folders();
        } catch (const FileError& failure) {
            err << "cirrowisp-cli: cannot read the simulator's list of aircraft folders: "
                << failure.what() << '\n';
            return std::nullopt;
        }
    }

    AircraftRoots roots = findAircraftRoots(patch, fileSystem);
    if (options.verbose) {
        for (const std::string& missing : roots.missing) {
            err << missing << ": listed in fsx.cfg, not there, passed over\n";
        }
    }
    if (roots.folders.empty()) {
        err << "cirrowisp-cli: warning: none of the aircraft folders looked for exists:\n";
        for (const std::string& folder : roots.lookedFor) {
            err << "  " << folder << '\n';
        }
    }
    return roots;
}

void checkEffectFile(const CliOptions& options, const PatchOptions& patch,
                     const std::string& configFile, FileSystem& fileSystem, std::ostream& err) {
    std::vector<std::string> packageEffects;
    if (options.simObjectPaths || !configFile.empty()) {
        try {
            packageEffects = gatherSimulatorFolders(configFile).effectFolders;
        } catch (const FileError&) {
            // Without the simulator's own lists only its Effects folder is looked in; a run
            // with --simobject-paths has said why already.
        }
    }
    // The name is held in the code page aircraft.cfg is written in; file names and messages
    // are UTF-8.
    const std::string effectName = fromSystemCodePage(patch.effectName);
    const EffectSearch search =
        findEffectFile(fileSystem, patch.simulatorPath, packageEffects, effectName);
    if (search.missing()) {
        err << "cirrowisp-cli: warning: " << missingEffectText(search, effectName) << '\n';
    } else if (options.verbose && search.foundIn) {
        err << effectName << ".fx: found in " << *search.foundIn << '\n';
    }
}

}  // namespace cirrowisp
