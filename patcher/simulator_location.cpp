#include "patcher/simulator_location.h"

#include "patcher/registry.h"
#include "patcher/utf16_text.h"

namespace cirrowisp {

namespace {

// A function-local static, so that code running during other files' static start-up already
// finds the default in place.
std::string& lastKnown() {
    static std::string path = kDefaultSimulatorPath;
    return path;
}

}  // namespace

const std::string& SimulatorPathLookup::lastKnownPath() {
    return lastKnown();
}

void SimulatorPathLookup::reset() {
    lastKnown() = kDefaultSimulatorPath;
}

int SimulatorPathLookup::lookupSimulatorPath(Registry& registry) {
    const auto data = registry.queryLocalMachineValue(
        kSimulatorRegistryKey, kSimulatorRegistryValue, kSetupPathBufferSize);
    if (!data || utf16Length(*data) > kSetupPathBufferSize) {
        return kLookupFailed;
    }
    // The value's type and terminator are not checked by the registry: a value that fills the
    // buffer without a NUL is taken whole rather than read past its end.
    const auto path = registry.hostPath(data->substr(0, data->find('\0')));
    if (!path) {
        return kLookupFailed;
    }
    lastKnown() = *path;
    return 0;
}

}  // namespace cirrowisp
