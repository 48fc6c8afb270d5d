#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "patcher/byte_stream.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitUsage = 2;
// --restore: done, but some folders with a backup were left alone (named on standard error).
inline constexpr int kExitLeftAlone = 3;

// What the command line asked for, after parsing and checking.
struct CliOptions {
    enum class Mode { scan, restore, filter, listSimulators, help, version };
    Mode mode = Mode::scan;
    PatchOptions patch;
    bool dryRun = false;
    bool verbose = false;
    bool force = false;  // --restore --force
    std::optional<std::string> simulatorFolder;
    bool simObjectPaths = false;                 // also the folders fsx.cfg lists
    std::optional<std::string> simulatorConfig;  // fsx.cfg named on the command line
    std::optional<std::string> simulatorName;    // --simulator, checked against the host's
};

// Parses the arguments after the program name; on failure returns nullopt and sets `error`.
std::optional<CliOptions> parseArguments(const std::vector<std::string>& args, std::string& error);

// The streams a command-line run talks to; standard ones in main, strings in tests.
struct CliIo {
    ByteSource& in;
    ByteSink& out;
    std::ostream& err;
    bool errIsTerminal = false;
};

// The whole command line: returns the exit status.
int runCli(const std::vector<std::string>& args, CliIo& io);

}  // namespace cirrowisp
