#pragma once

#include <optional>
#include <ostream>

#include "cli/cli_app.h"
#include "patcher/aircraft_roots.h"

namespace cirrowisp {

class FileSystem;

// The folders a run over the command line's simulator folder walks, with what the user should
// hear about them on `err`: the checked SIMULATOR_FOLDER, the folders the simulator's
// configuration file lists (`configFile`, the user's fsx.cfg when empty; read into
// patch.simObjectPaths), the listed folders passed over (under --verbose) and a warning when
// none of the folders looked for exists. nullopt when the run must not start: the message is
// written, the exit status is 2, and nothing was changed.
std::optional<AircraftRoots> commandLineRoots(const CliOptions& options, PatchOptions& patch,
                                              const std::string& configFile, FileSystem& fileSystem,
                                              std::ostream& err);

// Before a run: a warning on `err` when the simulator folder has an Effects folder and neither
// it nor an active add-on package of the simulator of `configFile` holds the effect file the
// run writes (under --verbose, where it was found). The run goes on either way.
void checkEffectFile(const CliOptions& options, const PatchOptions& patch,
                     const std::string& configFile, FileSystem& fileSystem, std::ostream& err);

}  // namespace cirrowisp
