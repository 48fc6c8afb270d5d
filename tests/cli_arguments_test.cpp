#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_app.h"
#include "tests/support/cli_run.h"
#include "tests/support/named_rows.h"
#include "tests/support/temperature_rows.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace cirrowisp {
namespace {

using testing::HasSubstr;

// One command line per row: either the options it must give, or the reason it is refused.
struct ArgumentsCase {
    const char* name;
    std::vector<std::string> args;
    std::function<void(const CliOptions&)> check;  // empty: the line must be refused
    std::string reason = {};                       // the refusal's text, when refused
};

class CliArgumentsTest : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(CliArgumentsTest, ParsesOrRefuses) {
    const ArgumentsCase& c = GetParam();
    std::string error;
    const std::optional<CliOptions> options = parseArguments(c.args, error);
    if (!c.check) {
        EXPECT_FALSE(options.has_value());
        EXPECT_EQ(error, c.reason);
        return;
    }
    ASSERT_TRUE(options.has_value()) << error;
    c.check(*options);
}

const auto refused = std::function<void(const CliOptions&)>{};

// A row, written as a call so that it packs onto a few lines.
ArgumentsCase row(const char* name, std::vector<std::string> args,
                  std::function<void(const CliOptions&)> check, std::string reason = {}) {
    return {name, std::move(args), std::move(check), std::move(reason)};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliArgumentsTest,
    testing::Values(
        row("LowestTemperatureAccepted", {"--temperature", "-50"},
            [](const CliOptions& o) { EXPECT_EQ(o.patch.maxContrailTemperature, -50); }),
        row("HighestTemperatureAccepted", {"--temperature=0"},
            [](const CliOptions& o) { EXPECT_EQ(o.patch.maxContrailTemperature, 0); }),
        row("EnginesReplaceTheDefaults", {"--engines", "piston,rocket"},
            [](const CliOptions& o) {
                EXPECT_EQ(o.patch.enginePiston, 1);
                EXPECT_EQ(o.patch.engineRocket, 1);
                EXPECT_EQ(o.patch.engineJet, 0);
                EXPECT_EQ(o.patch.engineTurboprop, 0);
            }),
        row("EmptyEnginesSelectsNone", {"--engines="},
            [](const CliOptions& o) {
                for (EngineType code = kEnginePiston; code <= kEngineTurboprop; ++code) {
                    EXPECT_FALSE(o.patch.isEngineSelected(code)) << code;
                }
            }),
        row("EachEngineNameSetsItsOwnType", {"--engines", "none,helo-turbine"},
            [](const CliOptions& o) {
                EXPECT_TRUE(o.patch.isEngineSelected(kEngineNone));
                EXPECT_TRUE(o.patch.isEngineSelected(kEngineHeloTurbine));
                EXPECT_FALSE(o.patch.isEngineSelected(kEngineJet));
            }),
        row("UnknownEngineRefused", {"--engines", "jet,steam"}, refused,
            refusalText(CliRefusal::unknownEngine, "steam")),
        row("EffectNameTaken", {"--effect", "fx_mine"},
            [](const CliOptions& o) { EXPECT_EQ(o.patch.effectName, "fx_mine"); }),
        row("EffectWithCtrlZRefused", {"--effect", std::string("fx\x1a", 3)}, refused,
            refusalText(CliRefusal::effectLineBreak)),
        row("EffectWithLineBreakRefused", {"--effect", "fx\nx"}, refused,
            refusalText(CliRefusal::effectLineBreak)),
        row("FlyableAndFolder", {"--flyable", "sim"},
            [](const CliOptions& o) {
                EXPECT_EQ(o.patch.includeFlyable, 1);
                EXPECT_EQ(o.simulatorFolder, "sim");
            }),
        row("DashDashTakesALeadingDash", {"--", "-sim"},
            [](const CliOptions& o) { EXPECT_EQ(o.simulatorFolder, "-sim"); }),
        row("TwoFoldersRefused", {"a", "b"}, refused, refusalText(CliRefusal::twoFolders)),
        row("EmptyFolderRefused", {""}, refused, refusalText(CliRefusal::emptyFolder)),
        row("FilterWithFolderRefused", {"--filter", "sim"}, refused,
            refusalText(CliRefusal::doesNotApply, "a simulator folder", "--filter")),
        row("FlagWithValueRefused", {"--dry-run=yes"}, refused,
            refusalText(CliRefusal::takesNoValue, "--dry-run")),
        row("MissingValueRefused", {"--effect"}, refused,
            refusalText(CliRefusal::needsValue, "--effect")),
        row("UnknownOptionRefused", {"--fast"}, refused,
            refusalText(CliRefusal::unknownOption, "--fast")),
        row("EmptyFsxCfgRefused", {"--fsx-cfg="}, refused, refusalText(CliRefusal::emptyFsxCfg)),
        row("ForceWithoutRestoreRefused", {"--force"}, refused,
            refusalText(CliRefusal::needsRun, "--force", "--restore")),
        row("PatchingOptionWithRestoreRefused", {"--temperature=-20", "--restore"}, refused,
            refusalText(CliRefusal::doesNotApply, "--temperature", "--restore")),
        row("FilterWithRestoreNamesTheFilter", {"--filter", "--restore"}, refused,
            refusalText(CliRefusal::doesNotApply, "--filter", "--restore")),
        row("FolderOptionWithFilterRefused", {"--filter", "-v"}, refused,
            refusalText(CliRefusal::doesNotApply, "--verbose", "--filter")),
        row("HelpAnswersWhateverFollows", {"--help", "--fast"},
            [](const CliOptions& o) { EXPECT_EQ(o.mode, CliOptions::Mode::help); }),
        row("RestoreWithFolderOptions", {"--restore", "--force", "--flyable", "sim"},
            [](const CliOptions& o) {
                EXPECT_EQ(o.mode, CliOptions::Mode::restore);
                EXPECT_TRUE(o.force);
                EXPECT_EQ(o.simulatorFolder, "sim");
            })),
    RowName{});

// The dialogs' rule: blanks around the number are taken, the range is the core's.
TEST(CliArguments, TemperatureTakenOrRefusedAsTheDialogsDo) {
    for (const TemperatureRow& row : kTemperatureRows) {
        SCOPED_TRACE(row.text);
        std::string error;
        const auto options = parseArguments({"--temperature", row.text}, error);
        if (row.kind == kAccepted) {
            ASSERT_TRUE(options.has_value()) << error;
            EXPECT_EQ(options->patch.maxContrailTemperature, row.value);
        } else {
            EXPECT_FALSE(options.has_value());
            EXPECT_EQ(error, refusalText(CliRefusal::temperature, row.text));
        }
    }
}

// aircraft.cfg is written in the system's code page, the command line's text is UTF-8: on
// Windows the name is turned into the code page, and one with a character the code page lacks
// is refused rather than written as '?'. Elsewhere both are the same bytes.
TEST(CliArguments, EffectNameIsWrittenInTheSystemCodePage) {
    std::string error;
    const auto accented = parseArguments({"--effect", "fx_Cr\xC3\xA8me"}, error);
    const auto beyondThePlane = parseArguments({"--effect", "fx_\xF0\x9F\x9B\xA9"}, error);
#ifdef _WIN32
    if (GetACP() != 1252) {
        GTEST_SKIP() << "rows for code page 1252; this system has " << GetACP();
    }
    ASSERT_TRUE(accented.has_value());
    EXPECT_EQ(accented->patch.effectName, "fx_Cr\xE8me");
    EXPECT_FALSE(beyondThePlane.has_value());
#else
    ASSERT_TRUE(accented.has_value());
    EXPECT_EQ(accented->patch.effectName, "fx_Cr\xC3\xA8me");
    ASSERT_TRUE(beyondThePlane.has_value());
    EXPECT_EQ(beyondThePlane->patch.effectName, "fx_\xF0\x9F\x9B\xA9");
#endif
}

// The --engines entry of the help and the refusal of an unknown name are made from the engine
// types' table; they must read as they always have.
TEST(CliArguments, EngineTypesListedInHelpAndRefusalAsBefore) {
    EXPECT_THAT(cli({"--help"}).out,
                HasSubstr("\n  --engines LIST      engine types to treat, comma-separated from "
                          "piston, jet, none,\n"
                          "                      helo-turbine, rocket, turboprop (default: "
                          "jet,turboprop);\n"
                          "                      --engines= selects none\n"
                          "  --temperature N "));
    EXPECT_THAT(cli({"--engines", "jet,steam"}).err,
                HasSubstr("cirrowisp-cli: unknown engine type 'steam' (expected piston, jet, "
                          "none, helo-turbine, rocket or turboprop)\n"));
}

}  // namespace
}  // namespace cirrowisp
