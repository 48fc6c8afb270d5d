#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "patcher/byte_stream.h"

namespace cirrowisp {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitUsage = 2;
// --restore: done, but some folders with a backup were left alone (named on standard error).
inline constexpr int kExitLeftAlone = 3;

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
