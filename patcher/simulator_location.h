#pragma once

#include <cstddef>
#include <string>

namespace cirrowisp {

class Registry;

inline constexpr const char* kDefaultSimulatorPath = ".\\Aircraft\\";
inline constexpr int kLookupFailed = 13;  // the platform's error number for invalid data

// Where the simulator records its install folder, as a 32-bit program sees the registry.
inline constexpr const char* kSimulatorRegistryKey =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight simulator\\10.0";
inline constexpr const char* kSimulatorRegistryValue = "SetupPath";
inline constexpr std::size_t kSetupPathBufferSize = 256;  // UTF-16 units, the NUL included

// The process-wide last known simulator path: ".\Aircraft\" until a lookup succeeds.
class SimulatorPathLookup {
public:
    static const std::string& lastKnownPath();
    // Test hook: puts the default back.
    static void reset();
    // Reads the setup path through `registry`; 0 on success (the path is taken), 13 on any
    // failure (the last known path stays).
    static int lookupSimulatorPath(Registry& registry);
};

}  // namespace cirrowisp
