// cirrowisp-io-floor: the file operations of a run with no rules applied, for comparison.
#include <cstdio>
#include <exception>
#include <string>

#include "bench/io_floor.h"

int main(int argc, char** argv) {
    cirrowisp::bench::FloorOptions options;
    bool haveFolder = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-flyable") {
            options.includeFlyable = false;
        } else if (arg == "--no-sync") {
            options.sync = false;
        } else if (arg == "--read-only") {
            options.readOnly = true;
        } else if (!haveFolder && !arg.starts_with("--")) {
            options.simulatorFolder = arg;
            haveFolder = true;
        } else {
            haveFolder = false;
            break;
        }
    }
    if (!haveFolder) {
        std::fprintf(stderr,
                     "usage: cirrowisp-io-floor SIMULATOR_FOLDER [--no-flyable] [--no-sync] "
                     "[--read-only]\n");
        return 2;
    }
    try {
        const cirrowisp::bench::FloorTotals totals = cirrowisp::bench::ioFloorRun(options);
        std::printf("%d AI and %d flyable files copied, %d backups made, %.1f MB read\n",
                    totals.treated, totals.flyable, totals.backupsMade,
                    static_cast<double>(totals.bytes) / 1e6);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cirrowisp-io-floor: %s\n", error.what());
        return 1;
    }
    return 0;
}
