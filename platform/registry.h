#pragma once

#include <optional>
#include <string>

namespace cirrowisp {

// Read-only access to the one registry value the program needs: the simulator's setup path.
// On Windows the real registry; on Linux the registry of a Wine prefix; fakes in tests.
class Registry {
public:
    virtual ~Registry() = default;
    // The value's bytes as the lookup should take them, or nullopt on any failure
    // (missing key or value, a value that does not fit, an unreadable store).
    virtual std::optional<std::string> simulatorSetupPath() = 0;
};

}  // namespace cirrowisp
