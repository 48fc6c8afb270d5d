// Prints what this host's lookup finds, as "<result> <path>", for the Wine test stage to compare.
#include <cstdio>

#include "patcher/simulator_location.h"
#include "platform/host_registry.h"

int main() {
    const int result = cirrowisp::lookupSimulatorPath();
    std::printf("%d %s\n", result, cirrowisp::SimulatorPathLookup::lastKnownPath().c_str());
    return 0;
}
