#include "ui/common/simulator_choices.h"

namespace cirrowisp {

namespace {

// The boxed FSX's setup path keeps the backslash its installer wrote after it; the listed
// folder does not.
bool sameFolder(std::string a, std::string b) {
    for (std::string* path : {&a, &b}) {
        while (!path->empty() && (path->back() == '\\' || path->back() == '/')) {
            path->pop_back();
        }
    }
    return a == b;
}

}  // namespace

SimulatorChoices::SimulatorChoices(FileSystem& fileSystem)
    : SimulatorChoices(findHostSimulators(fileSystem), {}) {
    current_ = defaultSimulator(found_);
    for (std::size_t i = 0; i < found_.size() && !chosen_; ++i) {
        if (sameFolder(found_[i].folder, current_.folder)) {
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
