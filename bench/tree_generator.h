#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "patcher/patch_options.h"

namespace cirrowisp::bench {

// A small deterministic generator (splitmix64): the same seed gives the same files on every
// host and standard library, which std::uniform_*_distribution does not promise.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    // A whole number in [low, high].
    int between(int low, int high);
    // True with the given probability.
    bool chance(double probability);
    double real(double low, double high);
    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(between(0, static_cast<int>(items.size()) - 1))];
    }

private:
    std::uint64_t state_;
};

// What a generated aircraft.cfg looks like; drawn per file, reported for tree statistics.
struct CfgTraits {
    EngineType engineType = kEngineJet;
    bool patched = false;           // already carries our contrail and temperature lines
    bool otherTemperature = false;  // carries a temperature line with a different value
    bool crlf = true;
    std::size_t size = 0;
};

// Makes aircraft.cfg contents shaped like the ones pilots have installed: a comment banner,
// several [fltsim.N] liveries, the usual sections in varying order with mixed header case,
// tab-aligned or spaced values, // and ; comments, cp1252 bytes, CRLF or LF line ends,
// sometimes no final line end, and a share of files that an earlier run already patched.
// Sizes fall between 5 and 60 KB.
class CfgGenerator {
public:
    explicit CfgGenerator(std::uint64_t seed) : random_(seed) {}

    std::string next(CfgTraits* traits = nullptr);

private:
    Random random_;
};

// A simulator tree: `folders` aircraft folders split over SimObjects/Airplanes and
// MyTraffic/Aircraft below `root`.
struct TreeShape {
    std::filesystem::path root;
    int folders = 1000;
    std::uint64_t seed = 1;
    double simObjectsShare = 0.35;  // the rest goes to MyTraffic/Aircraft
    double flyableShare = 0.6;      // of the SimObjects folders: those get a panel folder
    double missingCfgShare = 0.01;  // folders with textures but no aircraft.cfg
};

struct TreeStats {
    int folders = 0;
    int flyable = 0;
    int withoutCfg = 0;
    int patched = 0;
    std::uint64_t cfgBytes = 0;
};

// Writes the tree (the root must not exist yet, or be empty).
TreeStats generateTree(const TreeShape& shape);

// Puts a tree back into its never-run state: every folder whose first run left a backup gets
// its backup back as aircraft.cfg, and a left-over new_aircraft.cfg goes. Cheap (renames
// only), so first runs can be measured again and again with a warm cache.
void restoreFirstRunState(const std::filesystem::path& root);

// The folders a run visits, both roots, in no particular order.
std::vector<std::filesystem::path> aircraftFolders(const std::filesystem::path& root);

}  // namespace cirrowisp::bench
