#pragma once

#include <string>
#include <vector>

#include "patcher/simulator_table.h"

namespace cirrowisp {

class FileSystem;

// Every installation of the simulators in kSimulators this host holds, in table order: on
// Windows those the registry names; elsewhere those of the Wine prefix ($WINEPREFIX or
// ~/.wine), then FSX: Steam Edition in Steam's Proton prefix.
std::vector<SimulatorInstallation> findHostSimulators(FileSystem& fileSystem);

// The simulator a run or a dialog starts with when none is chosen.
struct SimulatorChoice {
    std::string folder;
    std::string configFile;  // empty: the user's fsx.cfg
};

// The boxed FSX's setup path as the dialog has always shown it, when the registry has one; else
// the first of `found`; else ".\Aircraft\".
SimulatorChoice defaultSimulator(const std::vector<SimulatorInstallation>& found);

}  // namespace cirrowisp
