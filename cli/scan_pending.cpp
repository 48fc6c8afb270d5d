#include "cli/cli_app.h"

namespace cirrowisp {

// Placeholder until the folder scan lands: only --filter works in this build.
int runScan(const CliOptions&, CliIo& io) {
    io.err << "cirrowisp-cli: the folder scan is not built yet; use --filter\n";
    return kExitUsage;
}

}  // namespace cirrowisp
