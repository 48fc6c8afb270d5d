#include "bench/tree_generator.h"

#include "bench/cfg_vocabulary.h"
#include "patcher/aircraft_folders.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace cirrowisp::bench {

namespace fs = std::filesystem;

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Random::between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low + 1);
    return static_cast<int>(low + static_cast<std::int64_t>(next() % span));
}

bool Random::chance(double probability) {
    return real(0.0, 1.0) < probability;
}

double Random::real(double low, double high) {
    const double unit = static_cast<double>(next() >> 11) * 0x1.0p-53;
    return low + unit * (high - low);
}

namespace {

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

constexpr std::array<std::string_view, 2> kRoots = {"SimObjects/Airplanes", "MyTraffic/Aircraft"};

}  // namespace

TreeStats generateTree(const TreeShape& shape) {
    Random random(shape.seed);
    CfgGenerator contents(shape.seed ^ 0x5DEECE66Dull);
    TreeStats stats;
    for (std::string_view root : kRoots) {
        fs::create_directories(shape.root / root);
    }
    for (int i = 0; i < shape.folders; ++i) {
        const bool simObjects = random.chance(shape.simObjectsShare);
        // Folder names never hold a dot: the simulator's own search skips those.
        std::string name = simObjects ? random.pick(kTypes)
                                      : "AIA_" + random.pick(kTypes) + "_" + random.pick(kAirlines);
        for (char& c : name) {
            if (c == ' ' || c == '.') {
                c = '_';
            }
        }
        name += '_';
        name += std::to_string(i);
        const fs::path folder = shape.root / kRoots[simObjects ? 0 : 1] / name;
        fs::create_directory(folder);
        fs::create_directory(folder / "model");
        fs::create_directory(folder / "texture");
        ++stats.folders;
        if (simObjects && random.chance(shape.flyableShare)) {
            fs::create_directory(folder / "panel");
            writeFile(folder / "panel" / "panel.cfg", "[Window Titles]\r\nWindow00=Main Panel\r\n");
            ++stats.flyable;
        }
        if (random.chance(shape.missingCfgShare)) {
            ++stats.withoutCfg;
            continue;
        }
        CfgTraits traits;
        const std::string bytes = contents.next(&traits);
        writeFile(folder / kAircraftFileName, bytes);
        stats.cfgBytes += bytes.size();
        stats.patched += traits.patched ? 1 : 0;
    }
    return stats;
}

std::vector<fs::path> aircraftFolders(const fs::path& root) {
    std::vector<fs::path> folders;
    for (std::string_view sub : kRoots) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(root / sub, error)) {
            if (entry.is_directory()) {
                folders.push_back(entry.path());
            }
        }
    }
    return folders;
}

void restoreFirstRunState(const fs::path& root) {
    for (const fs::path& folder : aircraftFolders(root)) {
        std::error_code error;
        const fs::path backup = folder / kBackupFileName;
        if (fs::exists(backup, error)) {
            fs::rename(backup, folder / kAircraftFileName);
        }
        fs::remove(folder / kNewAircraftFileName, error);
    }
}

}  // namespace cirrowisp::bench
