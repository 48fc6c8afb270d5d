#pragma once

#include <memory>

#include "patcher/registry.h"

namespace cirrowisp {

// This host's registry: the Windows registry on Windows, the registry of the Wine prefix
// ($WINEPREFIX or ~/.wine) elsewhere.
std::unique_ptr<Registry> makeHostRegistry();

// SimulatorPathLookup::lookupSimulatorPath against this host's registry: what every front end
// asks once at start-up; 0 when the setup path was found, 13 when ".\Aircraft\" stays.
int lookupSimulatorPath();

}  // namespace cirrowisp
