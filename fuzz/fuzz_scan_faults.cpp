// Builds a small simulator tree from the input (which folders have an aircraft.cfg, a backup, a
// panel, a file held open, a read-only folder, a link planted under one of the program's own
// names; which aircraft files they hold), makes one file
// operation of a run (or of a restore after a run) fail with one of the errors a real disk gives,
// and checks that no aircraft loses its file or its original bytes and that a rerun ends where
// a clean one does.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/random_aircraft.h"
#include "tests/support/samples.h"
#include "tests/support/scan_fault_check.h"

namespace {

using cirrowisp::FakeFault;
using cirrowisp::FaultAction;
using cirrowisp::FolderSpec;
using cirrowisp::TreeSpec;

std::string aircraftFile(FuzzedDataProvider& provider) {
    const auto& files = cirrowisp::sampleAircraftFiles();
    const auto choice = provider.ConsumeIntegralInRange<std::size_t>(0, files.size());
    if (choice < files.size()) {
        return files[choice];
    }
    return provider.ConsumeRandomLengthString(4096);  // bytes of the fuzzer's own choosing
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    TreeSpec tree;
    cirrowisp::selectEngines(tree.options,
                             provider.ConsumeIntegral<std::uint8_t>() % cirrowisp::kEngineChoices);
    tree.options.includeFlyable = provider.ConsumeBool();
    const auto folders = provider.ConsumeIntegralInRange<int>(1, 5);
    for (int i = 0; i < folders; ++i) {
        FolderSpec folder;
        folder.path = std::string(provider.ConsumeBool() ? "/sim/SimObjects/Airplanes/"
                                                         : "/sim/MyTraffic/Aircraft/") +
                      "F" + std::to_string(i);
        const auto flags = provider.ConsumeIntegral<std::uint8_t>();
        if ((flags & 1) == 0) {
            folder.aircraft = aircraftFile(provider);
            folder.aircraftName = (flags & 2) != 0 ? "AIRCRAFT.cfg" : "aircraft.cfg";
            folder.heldOpen = (flags & 4) != 0 && (flags & 8) != 0;
        }
        if ((flags & 16) != 0) {
            folder.backup = "older " + std::to_string(i);
            folder.backupHeldOpen = (flags & 32) != 0 && (flags & 8) != 0;
        }
        folder.panel = (flags & 64) != 0;
        folder.readOnly = (flags & 128) != 0 && (flags & 4) != 0;
        // Mostly none: a link planted under one of the names the program makes or takes.
        const auto link = provider.ConsumeIntegralInRange<std::size_t>(
            0, 2 * cirrowisp::kPlantedLinkNames.size());
        if (link < cirrowisp::kPlantedLinkNames.size()) {
            folder.link = cirrowisp::kPlantedLinkNames[link];
        }
        tree.folders.push_back(folder);
    }
    static constexpr std::array<FakeFault, 4> kFaults = {
        FakeFault::NoSpace, FakeFault::PermissionDenied, FakeFault::InUse, FakeFault::NameTaken};
    const FakeFault fault =
        kFaults[provider.ConsumeIntegralInRange<std::size_t>(0, kFaults.size() - 1)];
    const auto pick = provider.ConsumeIntegral<std::uint16_t>();
    // Last: an input that ends before it means a run, as it did before restores existed. A
    // restore starts from the tree a clean run left, its first aircraft edited since.
    static constexpr std::array<FaultAction, 3> kActions = {FaultAction::run, FaultAction::restore,
                                                            FaultAction::forceRestore};
    tree.action = kActions[provider.ConsumeIntegralInRange<std::size_t>(0, kActions.size() - 1)];
    if (tree.action != FaultAction::run && !tree.folders.empty()) {
        tree.folders.front().editAfterRun = "[fltsim.9]\r\ntitle=Livery\r\n";
    }

    const cirrowisp::FaultCheck check(tree);
    if (check.operations() == 0) {
        return 0;
    }
    const std::string broken = check.failAt(1 + pick % check.operations(), fault);
    if (!broken.empty()) {
        std::fprintf(stderr, "promise broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
