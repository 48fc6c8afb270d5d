#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/host_simulators.h"

namespace cirrowisp {

class FileSystem;

// The dialogs' choice of simulator, toolkit-free: the installations the host holds as menu or
// combo box items, the folder the path field starts with, and the configuration file a Start
// and a restore read for the simulator's own list of folders.
class SimulatorChoices {
public:
    // Asks the host once: what it holds, and the default the path field starts with.
    explicit SimulatorChoices(FileSystem& fileSystem);
    SimulatorChoices(std::vector<SimulatorInstallation> found, SimulatorChoice start);

    const std::vector<SimulatorInstallation>& installations() const { return found_; }
    // "Prepar3D v4 (C:\Program Files\Lockheed Martin\Prepar3D v4)"
    std::string itemText(std::size_t item) const;
    // The item that is chosen: the one picked last, else the one the default names.
    std::optional<std::size_t> chosenItem() const { return chosen_; }
    const SimulatorChoice& current() const { return current_; }
    // Picks an item; its folder is what the path field is to show.
    const SimulatorChoice& choose(std::size_t item);

private:
    std::vector<SimulatorInstallation> found_;
    SimulatorChoice current_;
    std::optional<std::size_t> chosen_;
};

}  // namespace cirrowisp
