#include "ui/common/simulator_choices.h"

namespace cirrowisp {

SimulatorChoices::SimulatorChoices(FileSystem& fileSystem)
    : SimulatorChoices(findHostSimulators(fileSystem), {}) {
    current_ = defaultSimulator(found_);
    for (std::size_t i = 0; i < found_.size() && !chosen_; ++i) {
        if (found_[i].folder == current_.folder) {
            chosen_ = i;
        }
    }
}

SimulatorChoices::SimulatorChoices(std::vector<SimulatorInstallation> found, SimulatorChoice start)
    : found_(std::move(found)), current_(std::move(start)) {}

std::string SimulatorChoices::itemText(std::size_t item) const {
    const SimulatorInstallation& installation = found_.at(item);
    return std::string(installation.row->caption) + " (" + installation.folder + ")";
}

const SimulatorChoice& SimulatorChoices::choose(std::size_t item) {
    current_ = {found_.at(item).folder, found_.at(item).configFile};
    chosen_ = item;
    return current_;
}

}  // namespace cirrowisp
