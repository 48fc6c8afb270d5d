#pragma once

// What every mode of the end-to-end driver shares: the command line it was given and the one
// running Cirrowisp.exe that the tests of a suite drive in turn; and, for the mode files, the
// headers they all draw on (the control ids, the version, the summaries the core words).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "cirrowisp_version.h"
#include "patcher/aircraft_scan.h"
#include "patcher/restore_scan.h"
#include "res/resource.h"
#include "tests/win32/window_automation.h"

namespace cirrowisp::e2e {

// What the command line asked for: the mode and its arguments, narrow (in the ANSI code page)
// and wide (as typed).
struct Arguments {
    std::string exe;
    std::string mode;
    std::vector<std::string> narrow;
    std::vector<std::wstring> wide;
};
extern Arguments arguments;

std::string tempFolder();

// The tests of one mode share one running program and follow on from each other, in the
// order they are written.
class ProgramTest : public ::testing::Test {
protected:
    static void TearDownTestSuite() { stop(app); }
    // Skips the test unless `mode` was asked for; fails it when the program has no dialog.
    void need(const char* mode) {
        if (arguments.mode != mode)
            GTEST_SKIP() << "runs in the " << mode << " mode";
        ASSERT_NE(app.dialog, nullptr) << "Cirrowisp.exe shows \"FSX-Cirrowisp generator\"";
    }
    static inline App app;
};

}  // namespace cirrowisp::e2e
