#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cirrowisp {

// The two hives the simulators write to.
enum class RegistryRoot { localMachine, currentUser };

// Which half of HKEY_LOCAL_MACHINE\SOFTWARE a query reads on a 64-bit system: 32-bit installers
// write below Wow6432Node, 64-bit ones (Prepar3D v4 and later) do not. HKEY_CURRENT_USER's
// Software key is one for both.
enum class RegistryView { bits32, bits64 };

// Read-only access to a Windows registry. On Windows the real registry; on Linux the registry
// of a Wine prefix; fakes in tests.
class Registry {
public:
    virtual ~Registry() = default;

    // The data of value `name` under `root`\`subKey` in `view` as RegQueryValueExW hands it
    // over, in UTF-8 (a string keeps its terminating NUL when the store has one), or nullopt
    // when the key or value is missing, the store cannot be read, or the data does not fit in
    // a buffer of `bufferSize` UTF-16 units. Key and value names are matched without regard to
    // case, as the registry does.
    virtual std::optional<std::string> queryValue(RegistryRoot root, RegistryView view,
                                                  std::string_view subKey, std::string_view name,
                                                  std::size_t bufferSize) = 0;

    // HKEY_LOCAL_MACHINE as a 32-bit program sees it: where the boxed simulator records itself.
    std::optional<std::string> queryLocalMachineValue(std::string_view subKey,
                                                      std::string_view name,
                                                      std::size_t bufferSize) {
        return queryValue(RegistryRoot::localMachine, RegistryView::bits32, subKey, name,
                          bufferSize);
    }

    // A path read from this registry, turned into one this host's file functions can open;
    // nullopt when it cannot be. On Windows the path is already one.
    virtual std::optional<std::string> hostPath(const std::string& registryPath) const {
        return registryPath;
    }

    // The user's roaming application data folder as this registry's Windows writes it
    // ("C:\users\pilot\AppData\Roaming"); nullopt when it is not known. Wine keeps it among
    // the user's shell folders, which is where this default looks.
    virtual std::optional<std::string> roamingAppData();

    // Where this registry lives, for telling the user where something was found: empty for the
    // host's own registry, "Wine prefix /home/pilot/.wine" for a prefix's.
    virtual std::string storeName() const { return {}; }
};

}  // namespace cirrowisp
