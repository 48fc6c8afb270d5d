#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "patcher/aircraft_scan.h"
#include "platform/host_file_system.h"
#include "tests/support/temp_tree.h"

namespace cirrowisp::testing {

// A throw-away simulator folder on the real disk, and a run over it through the host's file
// system: the ground the run and restore tests stand on.
class HostTreeTest : public ::testing::Test {
protected:
    ScanTotals run(bool flyable = false) {
        PatchOptions options;
        options.simulatorPath = tree.path();
        options.includeFlyable = flyable ? 1 : 0;
        return AircraftScan(options, *fs);
    }

    TempTree tree;
    std::unique_ptr<FileSystem> fs = makeHostFileSystem();
};

}  // namespace cirrowisp::testing
