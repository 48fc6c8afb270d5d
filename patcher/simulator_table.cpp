#include "patcher/simulator_table.h"

#include <algorithm>
#include <optional>

#include "patcher/byte_text.h"
#include "patcher/file_system.h"

namespace cirrowisp {

namespace {

// Room for a long path: these values are read to be listed, not into the dialog's buffer.
constexpr std::size_t kInstallPathBufferSize = 32768;

// Installers write the folder with a NUL after it, sometimes with a backslash before it; the
// root of a drive keeps its backslash, since "C:" alone names the drive's current folder.
std::string trimmedFolder(std::string data) {
    data.resize(std::min(data.size(), data.find('\0')));
    while (!data.empty() && (data.back() == '\\' || data.back() == '/') &&
           !(data.size() == 3 && data[1] == ':')) {
        data.pop_back();
    }
    return data;
}

std::string entryName(const Registry& registry, const SimulatorRegistryEntry& entry) {
    std::string name = registry.storeName();
    if (!name.empty()) {
        name += ", ";
    }
    name +=
        entry.root == RegistryRoot::localMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
    name += std::string(entry.key) + "\\" + std::string(entry.value);
    if (entry.root == RegistryRoot::localMachine) {
        name += entry.view == RegistryView::bits32 ? " (32-bit view)" : " (64-bit view)";
    }
    return name;
}

bool holdsFile(FileSystem& fileSystem, const std::string& folder, std::string_view name) {
    const auto listing = fileSystem.listFolder(folder);
    DirEntry entry;
    while (listing && listing->next(entry)) {
        if (!entry.isFolder && equalsIgnoringAsciiCase(entry.name, name)) {
            return true;
        }
    }
    return false;
}

// The first of the row's entries that names an existing folder.
std::optional<SimulatorInstallation> registeredFolder(const SimulatorRow& row, Registry& registry,
                                                      FileSystem& fileSystem) {
    for (std::size_t i = 0; i < row.entryCount; ++i) {
        const SimulatorRegistryEntry& entry = row.entries[i];
        const auto data = registry.queryValue(entry.root, entry.view, entry.key, entry.value,
                                              kInstallPathBufferSize);
        if (!data) {
            continue;
        }
        const std::string folder = trimmedFolder(*data);
        const auto host = folder.empty() ? std::nullopt : registry.hostPath(folder);
        if (!host || fileSystem.listFolder(*host) == nullptr) {
            continue;
        }
        return SimulatorInstallation{&row, trimmedFolder(*host), entryName(registry, entry), {}};
    }
    return std::nullopt;
}

}  // namespace

const SimulatorRow* findSimulatorRow(std::string_view name) {
    for (const SimulatorRow& row : kSimulators) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

std::string roamingFile(Registry& registry, std::string_view relative) {
    const auto roaming = registry.roamingAppData();
    if (!roaming || roaming->empty()) {
        return {};
    }
    return registry.hostPath(trimmedFolder(*roaming) + "\\" + std::string(relative))
        .value_or(std::string());
}

std::vector<SimulatorInstallation> findSimulatorInstallations(Registry& registry,
                                                              FileSystem& fileSystem) {
    std::vector<SimulatorInstallation> found;
    std::optional<SimulatorInstallation> steamAlone;  // FSX's keys, Steam's folder
    bool boxedFsx = false;
    for (const SimulatorRow& row : kSimulators) {
        std::optional<SimulatorInstallation> installation =
            registeredFolder(row, registry, fileSystem);
        if (row.name == "fsx" && installation &&
            holdsFile(fileSystem, installation->folder, "steam_api.dll")) {
            steamAlone = std::move(installation);
            installation.reset();
        }
        if (row.name == "fsx-se" && !installation && steamAlone) {
            installation = std::move(steamAlone);
            installation->row = &row;
        }
        if (!installation) {
            continue;
        }
        boxedFsx = boxedFsx || row.name == "fsx";
        const bool alone = !row.configFileWhenAlone.empty() && !boxedFsx;
        installation->configFile =
            roamingFile(registry, alone ? row.configFileWhenAlone : row.configFile);
        found.push_back(std::move(*installation));
    }
    return found;
}

}  // namespace cirrowisp
