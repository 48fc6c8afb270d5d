#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/host_file_system.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_tree.h"
#include "ui/common/generator_form.h"

namespace cirrowisp {
namespace {

// Under code page 932, 0x83 0x63 is one character: its trail byte 'c' does not start
// "contrail=", so the section has no contrail line yet and one is added. Read byte by byte,
// the same line looks like a contrail line and nothing is added.
const std::string kShiftJisJet =
    "[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\n\x83\x63ONTRAIL=fx\r\n\r\n[x]\r\n";
const std::string kAircraft = "/SimObjects/Airplanes/A/aircraft.cfg";

// Runs in a fresh process on purpose: the dialog's Start goes first, so that nothing the
// command line sets up can cover for a step the dialog's start-up misses.
TEST(SystemCodePage, DialogStartAndCommandLineWriteTheSameBytes) {
    if (const char* expected = std::getenv("CIRROWISP_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
    testing::TempTree tree;
    tree.write("dialog" + kAircraft, kShiftJisJet);
    tree.write("cli" + kAircraft, kShiftJisJet);

    // The Start button: the file system the application makes, then the shared Start sequence.
    const auto fileSystem = makeHostFileSystem();
    PatchOptions options;
    FormValues form = formFromOptions(options);
    form.simulatorPath = tree.path("dialog");
    const StartOutcome start = runStart(form, options, *fileSystem);
    ASSERT_EQ(start.kind, StartOutcome::Kind::finished) << start.message;

    const Outcome run = cli({tree.path("cli")});
    ASSERT_EQ(run.status, kExitOk) << run.err;

    EXPECT_EQ(tree.read("dialog" + kAircraft), tree.read("cli" + kAircraft));
    const bool added =
        tree.read("dialog" + kAircraft).find("contrail=fx_Cirrowisp") != std::string::npos;
    EXPECT_EQ(added, GetACP() == 932);
}

}  // namespace
}  // namespace cirrowisp
