#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "cli/cli_app.h"
#include "patcher/aircraft_roots.h"
#include "platform/host_simulators.h"

namespace cirrowisp {

class FileSystem;

// Said on standard error after the file or folders the user may not write (a simulator under
// Program Files): what would let the program write them.
inline constexpr const char* kElevationHint =
    "cirrowisp-cli: access denied: run it again from an elevated prompt (Command Prompt, "
    "\"Run as administrator\"), or as a user who may write these files.";

// The main job: one run over the simulator folder on the host's file system (kept in memory
// for --dry-run), the summary on standard output, exit status 0; FileError passes to the caller.
int runScan(const CliOptions& options, CliIo& io);

// The same over a given file system, for tests.
int runScanOn(const CliOptions& options, FileSystem& fileSystem, CliIo& io);

// The folder and configuration file a run over the host's simulators uses: SIMULATOR_FOLDER
// and --fsx-cfg when given, else those of --simulator's installation, else the folder the
// dialog would show. nullopt, with the message written to `err`, when --simulator names no
// installation found: a usage error.
std::optional<SimulatorChoice> commandLineSimulator(const CliOptions& options,
                                                    FileSystem& fileSystem, std::ostream& err);

// What a run and a restore work on, found the same way so that a restore reaches every folder
// a run with the same options may have changed.
struct CommandTarget {
    PatchOptions patch;      // the command line's, with the chosen simulator's folder
    std::string configFile;  // that simulator's configuration file; empty for the user's
    FileSystem& fileSystem;  // kept in memory for --dry-run
    AircraftRoots roots;
};

// Finds the simulator (commandLineSimulator) and its folders (commandLineRoots), with their
// messages on `err`, and returns what `work` returns for them; kExitUsage, without calling it,
// when either cannot be found.
int onCommandTarget(const CliOptions& options, FileSystem& fileSystem, std::ostream& err,
                    const std::function<int(const CommandTarget&)>& work);

// --list-simulators: one line per installation found, "name<TAB>folder<TAB>where found".
int runListSimulators(CliIo& io);
int runListSimulatorsOn(FileSystem& fileSystem, CliIo& io);

}  // namespace cirrowisp
