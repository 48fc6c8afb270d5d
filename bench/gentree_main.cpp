// cirrowisp-gentree: writes a simulator tree of generated aircraft folders for benchmarks and
// manual trials.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "bench/tree_generator.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: cirrowisp-gentree ROOT [--folders N] [--seed S]\n"
                 "       cirrowisp-gentree ROOT --restore\n"
                 "Writes N aircraft folders (default 1000) below ROOT/SimObjects/Airplanes and\n"
                 "ROOT/MyTraffic/Aircraft; --restore puts the backups of a first run back.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // An option in the place of ROOT (--help, say) would otherwise become a tree of that name.
    if (argc < 2 || argv[1][0] == '-') {
        return usage();
    }
    cirrowisp::bench::TreeShape shape;
    shape.root = argv[1];
    bool restore = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--folders" && i + 1 < argc) {
            shape.folders = std::atoi(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            shape.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--restore") {
            restore = true;
        } else {
            return usage();
        }
    }
    try {
        if (restore) {
            cirrowisp::bench::restoreFirstRunState(shape.root);
            return 0;
        }
        const cirrowisp::bench::TreeStats stats = cirrowisp::bench::generateTree(shape);
        std::printf(
            "%d folders (%d flyable, %d without aircraft.cfg, %d already patched), %.1f MB of "
            "aircraft.cfg\n",
            stats.folders, stats.flyable, stats.withoutCfg, stats.patched,
            static_cast<double>(stats.cfgBytes) / 1e6);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cirrowisp-gentree: %s\n", error.what());
        return 1;
    }
    return 0;
}
