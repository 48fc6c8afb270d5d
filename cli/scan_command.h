#pragma once

#include "cli/cli_app.h"

namespace cirrowisp {

class FileSystem;

// The main job: one run over the simulator folder on the host's file system (kept in memory
// for --dry-run), the summary on standard output, exit status 0; FileError passes to the caller.
int runScan(const CliOptions& options, CliIo& io);

// The same over a given file system, for tests.
int runScanOn(const CliOptions& options, FileSystem& fileSystem, CliIo& io);

// SIMULATOR_FOLDER when none is given: the folder the dialog would show.
std::string defaultSimulatorFolder();

}  // namespace cirrowisp
