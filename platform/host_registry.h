#pragma once

#include <memory>

#include "platform/registry.h"

namespace cirrowisp {

// This host's registry: the Windows registry on Windows, the registry of the Wine prefix
// ($WINEPREFIX or ~/.wine) elsewhere.
std::unique_ptr<Registry> makeHostRegistry();

}  // namespace cirrowisp
