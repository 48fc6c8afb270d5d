#pragma once

#include "cli/cli_app.h"

namespace cirrowisp {

class FileSystem;

// --restore: puts the original files back on the host's file system (kept in memory for
// --dry-run), the summary on standard output, each folder left alone with its reason on
// standard error; exit status 0, or kExitLeftAlone when any folder was left alone. The folders
// are found and checked as for a run (commandLineRoots): kExitUsage, with nothing changed, when
// they cannot be. FileError passes to the caller.
int runRestore(const CliOptions& options, CliIo& io);

// The same over a given file system, for tests.
int runRestoreOn(const CliOptions& options, FileSystem& fileSystem, CliIo& io);

}  // namespace cirrowisp
