#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "patcher/patch_options.h"

namespace cirrowisp {

// What the command line asked for, after parsing and checking.
struct CliOptions {
    enum class Mode { scan, restore, filter, listSimulators, help, version };
    Mode mode = Mode::scan;
    PatchOptions patch;
    bool dryRun = false;
    bool verbose = false;
    bool force = false;  // --restore --force
    std::optional<std::string> simulatorFolder;
    bool simObjectPaths = false;                 // also the folders fsx.cfg lists
    std::optional<std::string> simulatorConfig;  // fsx.cfg named on the command line
    std::optional<std::string> simulatorName;    // --simulator, checked against the host's
};

// The kinds of run an option can mean something for, one bit each.
enum RunKind : unsigned { kRunScan = 1, kRunRestore = 2, kRunFilter = 4 };
inline constexpr unsigned kEveryRun = kRunScan | kRunRestore | kRunFilter;

// One option of the command line, described once: the parser, the help's option list and
// the refusals are all made from these rows.
struct CliOption {
    std::string_view name;       // "--temperature"
    std::string_view alias;      // "-h", or empty
    std::string_view valueName;  // "N"; empty for an option that takes no value
    unsigned appliesTo;          // the RunKind bits it means something for
    unsigned selects;            // the RunKind it switches to (restore, filter), or 0
    // For an option that selects a run: what that run does, as a refusal names it.
    std::string_view purpose;
    // Stores the value (or the flag) into the options; false with `error` set when refused.
    bool (*apply)(std::string_view value, CliOptions& options, std::string& error);
    std::string help;  // the help's text, its ranges and defaults taken from the core's values
};

std::span<const CliOption> cliOptionTable();

// The help's "Options:" list, every row wrapped at the same column.
std::string cliOptionsHelp();

// Why a command line was refused; `refusalText` words each, so tests compare against it. The
// subject is the argument, option or value refused; for `doesNotApply` the other is the option
// that chose the run, for `needsRun` the option the refused one goes with.
enum class CliRefusal {
    unknownOption,
    needsValue,
    takesNoValue,
    temperature,
    unknownEngine,
    effectLineBreak,
    effectCodePage,
    emptyFsxCfg,
    twoFolders,
    emptyFolder,
    doesNotApply,
    needsRun,
};
std::string refusalText(CliRefusal refusal, std::string_view subject = {},
                        std::string_view other = {});

// Parses the arguments after the program name; on failure returns nullopt and sets `error`.
std::optional<CliOptions> parseArguments(const std::vector<std::string>& args, std::string& error);

}  // namespace cirrowisp
