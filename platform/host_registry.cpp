#include "platform/host_registry.h"

#include "patcher/simulator_location.h"

#ifdef _WIN32
#include "platform/win32_registry.h"
#else
#include "platform/wine_prefix_registry.h"
#endif

namespace cirrowisp {

std::unique_ptr<Registry> makeHostRegistry() {
#ifdef _WIN32
    return std::make_unique<Win32Registry>();
#else
    return std::make_unique<WinePrefixRegistry>(WinePrefixRegistry::defaultPrefix());
#endif
}

int lookupSimulatorPath() {
    const auto registry = makeHostRegistry();
    return SimulatorPathLookup::lookupSimulatorPath(*registry);
}

}  // namespace cirrowisp
