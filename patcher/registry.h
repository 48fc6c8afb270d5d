#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cirrowisp {

// Read-only access to values under HKEY_LOCAL_MACHINE, seen as a 32-bit program sees them.
// On Windows the real registry; on Linux the registry of a Wine prefix; fakes in tests.
class Registry {
public:
    virtual ~Registry() = default;

    // The data of value `name` under HKEY_LOCAL_MACHINE\`subKey` as a 32-bit program's
    // RegQueryValueExW hands it over, in UTF-8 (a string keeps its terminating NUL when the
    // store has one), or nullopt when the key or value is missing, the store cannot be read,
    // or the data does not fit in a buffer of `bufferSize` UTF-16 units. Key and value names
    // are matched without regard to case, as the registry does.
    virtual std::optional<std::string> queryLocalMachineValue(std::string_view subKey,
                                                              std::string_view name,
                                                              std::size_t bufferSize) = 0;

    // A path read from this registry, turned into one this host's file functions can open;
    // nullopt when it cannot be. On Windows the path is already one.
    virtual std::optional<std::string> hostPath(const std::string& registryPath) const {
        return registryPath;
    }
};

}  // namespace cirrowisp
