#include "platform/host_simulators.h"

#include <algorithm>
#include <cstdlib>

#include "patcher/simulator_location.h"
#include "platform/host_registry.h"

#ifndef _WIN32
#include "platform/steam_library.h"
#include "platform/wine_prefix_registry.h"
#endif

namespace cirrowisp {

namespace {

#ifndef _WIN32
constexpr std::string_view kSteamEditionAppId = "314160";

// FSX: Steam Edition as Steam keeps it for Proton: alone in its prefix, whose user is always
// "steamuser".
std::optional<SimulatorInstallation> protonSteamEdition() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        return std::nullopt;
    }
    const auto game = findProtonGame(home, kSteamEditionAppId, "FSX");
    if (!game) {
        return std::nullopt;
    }
    const SimulatorRow* row = findSimulatorRow("fsx-se");
    WinePrefixRegistry prefix(game->prefix, "Proton prefix");
    prefix.setUser("steamuser");
    return SimulatorInstallation{
        row, game->folder.string(),
        "Steam library " + game->library.string() + ", " + prefix.storeName(),
        roamingFile(prefix, row->configFileWhenAlone)};
}
#endif

}  // namespace

std::vector<SimulatorInstallation> findHostSimulators(FileSystem& fileSystem) {
    const auto registry = makeHostRegistry();
    std::vector<SimulatorInstallation> found = findSimulatorInstallations(*registry, fileSystem);
#ifndef _WIN32
    if (auto proton = protonSteamEdition()) {
        found.push_back(std::move(*proton));
        std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
            return a.row < b.row;  // rows of one array: table order
        });
    }
#endif
    return found;
}

SimulatorChoice defaultSimulator(const std::vector<SimulatorInstallation>& found) {
    if (lookupSimulatorPath() == 0 || found.empty()) {
        return {SimulatorPathLookup::lastKnownPath(), {}};
    }
    return {found.front().folder, found.front().configFile};
}

}  // namespace cirrowisp
