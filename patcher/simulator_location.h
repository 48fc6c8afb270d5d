#pragma once

#include <string>

namespace cirrowisp {

class Registry;

inline constexpr const char* kDefaultSimulatorPath = ".\\Aircraft\\";
inline constexpr int kLookupFailed = 13;

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

// The lookup against this host's registry (Windows) or Wine prefix (Linux).
int lookupSimulatorPath();

}  // namespace cirrowisp
