#include "cli/cli_app.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "cirrowisp_version.h"
#include "cli/restore_command.h"
#include "cli/scan_command.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/engine_types.h"
#include "patcher/file_error.h"
#include "platform/system_code_page.h"

namespace cirrowisp {

namespace {

constexpr std::string_view kUsageBeforeEngines =
    "Usage: cirrowisp-cli [OPTIONS] [SIMULATOR_FOLDER]\n"
    "       cirrowisp-cli --restore [--force] [OPTIONS] [SIMULATOR_FOLDER]\n"
    "       cirrowisp-cli --filter [--engines LIST] [--temperature N] [--effect NAME]\n"
    "       cirrowisp-cli --list-simulators\n"
    "\n"
    "Adds a contrail effect line to [EFFECTS] and a contrail temperature line to\n"
    "[GENERALENGINEDATA] of every aircraft.cfg in the aircraft folders directly inside\n"
    "SimObjects\\Airplanes and MyTraffic\\Aircraft below SIMULATOR_FOLDER, for the engine\n"
    "types chosen, and takes the contrail line away from the others. The first version of\n"
    "each file is kept as without_contrails_aircraft.cfg.\n"
    "\n"
    "Without SIMULATOR_FOLDER the simulator's installation folder is used, as the dialog\n"
    "shows it: the boxed FSX's setup path in the registry, else the first simulator\n"
    "--list-simulators finds, else .\\Aircraft\\. On Linux the registry is that of the Wine\n"
    "prefix in $WINEPREFIX or ~/.wine, and FSX: Steam Edition is also found in Steam's\n"
    "Proton prefix.\n"
    "\n"
    "--restore puts the original files back: in each aircraft folder a run visits (flyable\n"
    "ones only with --flyable, those inside the folders fsx.cfg lists only with\n"
    "--simobject-paths or --fsx-cfg), the backup becomes aircraft.cfg again and is removed.\n"
    "A folder whose aircraft.cfg differs from the backup in more than a run changes (line\n"
    "ends, blank lines, contrail and max_contrail_temperature lines) was edited since, and is\n"
    "left alone, backup included, and named on standard error; --force restores it too, after\n"
    "keeping its aircraft.cfg as aircraft_before_restore.cfg.\n"
    "\n"
    "Any folder name works, in any script and at any depth. On Windows, text written to a\n"
    "file or a pipe is UTF-8; a console gets it as wide characters.\n"
    "\n"
    "Options:\n";

// The --engines entry comes from the engine types' table, between these two.
constexpr std::string_view kUsageAfterEngines =
    "  --temperature N     contrail temperature in degrees Celsius, -50 to 0 (default: -27)\n"
    "  --effect NAME       effect file name written after contrail= (default: fx_Cirrowisp);\n"
    "                      a warning when the simulator's Effects folder and packages lack it\n"
    "  --flyable           treat player-flyable aircraft (folders with a panel) too\n"
    "  --simobject-paths   also treat the aircraft folders directly inside every folder\n"
    "                      that the simulator's configuration file (fsx.cfg) lists in [Main] as "
    "SimObjectPaths.N\n"
    "                      (relative to SIMULATOR_FOLDER, or absolute), such as\n"
    "                      SimObjects\\Rotorcraft and AI traffic folders; for Prepar3D v2\n"
    "                      and later also simobjects.cfg's active entries and the SimObjects\n"
    "                      of every active add-on package; each folder once\n"
    "  --fsx-cfg FILE      read that fsx.cfg (implies --simobject-paths); by default the\n"
    "                      user's, in Microsoft\\FSX of the roaming application data folder\n"
    "                      (on Linux, inside the Wine prefix)\n"
    "  --simulator NAME    the simulator whose folder and configuration file are used, one\n"
    "                      of those --list-simulators prints (a SIMULATOR_FOLDER given as\n"
    "                      well wins for the folder)\n"
    "  --list-simulators   print each simulator installation found: its name, a tab, its\n"
    "                      folder, a tab, where it was found\n"
    "  --dry-run           change nothing; print what a real run would report\n"
    "  --verbose           one line per treated aircraft, per list of folders read, and per\n"
    "                      listed folder that is not there, on standard error\n"
    "  --restore           put the original files back instead of patching\n"
    "  --force             with --restore: restore edited folders too, keeping their\n"
    "                      aircraft.cfg as aircraft_before_restore.cfg\n"
    "  --filter            rewrite one aircraft.cfg from standard input to standard output\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Exit status: 0 done, 1 the run failed on a file (nothing more was changed), 2 bad usage\n"
    "(a --simulator not installed included), a SIMULATOR_FOLDER that is not a folder, or an\n"
    "fsx.cfg that cannot be read (nothing was changed), 3 (--restore) done, but some folders\n"
    "with a backup were left alone. A simulator folder without any of the aircraft folders is\n"
    "scanned all the same, with a warning that names the folders looked for.\n";

constexpr std::string_view kVersion = "cirrowisp-cli " CIRROWISP_VERSION "\n" CIRROWISP_COPYRIGHT
                                      "\n"
                                      "Free software under the MIT licence, without any warranty;\n"
                                      "the licence text comes with the program.\n";

void print(ByteSink& sink, std::string_view text) {
    sink.write(text.data(), text.size());
}

bool parseTemperature(std::string_view text, std::int32_t& value) {
    std::size_t start = (!text.empty() && text.front() == '+') ? 1 : 0;
    if (start == text.size()) {
        return false;
    }
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && value >= kMinContrailTemperature &&
           value <= kMaxContrailTemperature;
}

// The engine types' names in table order, "piston, jet, ..., rocket" + `last` + "turboprop".
std::string engineNameList(std::string_view last) {
    std::string names;
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        if (i > 0)
            names += i + 1 == kEngineTypeCount ? last : ", ";
        names += kEngineTypes[i].cliName;
    }
    return names;
}

// One entry of the options list: the option, then its text from the entries' column on,
// broken between words so that no line grows wider than the others.
std::string optionHelp(std::string_view option, std::string_view text) {
    constexpr std::size_t kTextColumn = 22;
    constexpr std::size_t kWidth = 88;
    std::string entry = "  " + std::string(option);
    entry.resize(kTextColumn, ' ');
    std::size_t column = kTextColumn;
    bool lineEmpty = true;
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view{} : text.substr(blank + 1);
        if (!lineEmpty && column + 1 + word.size() > kWidth) {
            entry += '\n';
            entry.append(kTextColumn, ' ');
            column = kTextColumn;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            entry += ' ';
            ++column;
        }
        entry += word;
        column += word.size();
        lineEmpty = false;
    }
    return entry + '\n';
}

// The help's list of engine types and its default follow the table and the record.
std::string usageText() {
    const PatchOptions defaults;
    std::string selected;
    for (const EngineTypeRow& row : kEngineTypes) {
        if (defaults.*row.field == 0)
            continue;
        if (!selected.empty())
            selected += ',';
        selected += row.cliName;
    }
    return std::string(kUsageBeforeEngines) +
           optionHelp("--engines LIST", "engine types to treat, comma-separated from " +
                                            engineNameList(", ") + " (default: " + selected +
                                            "); --engines= selects none") +
           std::string(kUsageAfterEngines);
}

bool setEngines(std::string_view list, PatchOptions& patch, std::string& error) {
    for (const EngineTypeRow& row : kEngineTypes) patch.*row.field = 0;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        const auto row = std::find_if(kEngineTypes.begin(), kEngineTypes.end(),
                                      [&](const EngineTypeRow& r) { return r.cliName == name; });
        if (row == kEngineTypes.end()) {
            error = "unknown engine type '" + std::string(name) + "' (expected " +
                    engineNameList(" or ") + ")";
            return false;
        }
        patch.*row->field = 1;
    }
    return true;
}

int runFilter(const CliOptions& options, CliIo& io) {
    const RewriteResult result = CfgRewritePass(options.patch, io.in, io.out);
    io.err << "contrail lines added: " << result.contrailsAdded
           << ", temperature lines written: " << result.temperaturesChanged << '\n';
    return kExitOk;
}

}  // namespace

std::optional<CliOptions> parseArguments(const std::vector<std::string>& args, std::string& error) {
    CliOptions options;
    bool filter = false;
    bool scanOnly = false;   // an option that means something only for a run over folders
    bool patchOnly = false;  // an option that means something only when patching
    bool restore = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--") && arg.find('=') != std::string_view::npos) {
            inlineValue = std::string(arg.substr(arg.find('=') + 1));
            arg = arg.substr(0, arg.find('='));
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto noValue = [&] {
            if (inlineValue) {
                error = std::string(arg) + " takes no value";
                return false;
            }
            return true;
        };

        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.mode = CliOptions::Mode::help;
            return options;
        } else if (arg == "--version") {
            options.mode = CliOptions::Mode::version;
            return options;
        } else if (arg == "--filter") {
            if (!noValue())
                return std::nullopt;
            filter = true;
        } else if (arg == "--engines") {
            if (!value(text) || !setEngines(text, options.patch, error))
                return std::nullopt;
            patchOnly = true;
        } else if (arg == "--temperature") {
            if (!value(text))
                return std::nullopt;
            if (!parseTemperature(text, options.patch.maxContrailTemperature)) {
                error = "the temperature must be a whole number from -50 to 0, not '" + text + "'";
                return std::nullopt;
            }
            patchOnly = true;
        } else if (arg == "--effect") {
            if (!value(text))
                return std::nullopt;
            // A line break or an end-of-file byte in the name would split the written line or
            // cut the file short when the simulator reads it.
            if (text.find_first_of(std::string("\r\n\x1a", 3)) != std::string::npos) {
                error = "the effect name must not contain a line break or a Ctrl-Z byte";
                return std::nullopt;
            }
            // The command line's text is UTF-8; aircraft.cfg is written in the system's code page.
            const std::optional<std::string> bytes = inSystemCodePage(text);
            if (!bytes) {
                error = "the effect name holds a character that the system's code page lacks";
                return std::nullopt;
            }
            options.patch.effectName = *bytes;
            patchOnly = true;
        } else if (arg == "--flyable") {
            if (!noValue())
                return std::nullopt;
            options.patch.includeFlyable = 1;
            scanOnly = true;
        } else if (arg == "--simobject-paths") {
            if (!noValue())
                return std::nullopt;
            options.simObjectPaths = true;
            scanOnly = true;
        } else if (arg == "--fsx-cfg") {
            if (!value(text))
                return std::nullopt;
            if (text.empty()) {
                error = "the fsx.cfg path is empty";
                return std::nullopt;
            }
            options.simulatorConfig = text;
            options.simObjectPaths = true;
            scanOnly = true;
        } else if (arg == "--simulator") {
            if (!value(text))
                return std::nullopt;
            options.simulatorName = text;
            scanOnly = true;
        } else if (arg == "--list-simulators") {
            if (!noValue())
                return std::nullopt;
            options.mode = CliOptions::Mode::listSimulators;
            return options;
        } else if (arg == "--dry-run") {
            if (!noValue())
                return std::nullopt;
            options.dryRun = true;
            scanOnly = true;
        } else if (arg == "--restore") {
            if (!noValue())
                return std::nullopt;
            restore = true;
        } else if (arg == "--force") {
            if (!noValue())
                return std::nullopt;
            options.force = true;
        } else if (arg == "--verbose" || arg == "-v") {
            if (!noValue())
                return std::nullopt;
            options.verbose = true;
            scanOnly = true;
        } else if (arg == "--" && !inlineValue) {
            for (++i; i < args.size(); ++i) {
                if (options.simulatorFolder) {
                    error = "only one simulator folder can be given";
                    return std::nullopt;
                }
                options.simulatorFolder = args[i];
            }
            scanOnly = scanOnly || options.simulatorFolder.has_value();
        } else if (arg.size() > 1 && arg.front() == '-') {
            error = "unknown option '" + args[i] + "'";
            return std::nullopt;
        } else {
            if (options.simulatorFolder) {
                error = "only one simulator folder can be given";
                return std::nullopt;
            }
            options.simulatorFolder = args[i];
            scanOnly = true;
        }
    }
    if (options.force && !restore) {
        error = "--force goes with --restore";
        return std::nullopt;
    }
    if (restore) {
        if (filter || patchOnly) {
            error =
                "--restore puts the original files back; --filter, --engines, --temperature "
                "and --effect do not apply";
            return std::nullopt;
        }
        options.mode = CliOptions::Mode::restore;
    }
    if (filter) {
        if (scanOnly) {
            error =
                "--filter reads one file from standard input; --flyable, --dry-run, --verbose, "
                "--simobject-paths, --fsx-cfg, --simulator and a simulator folder do not apply";
            return std::nullopt;
        }
        options.mode = CliOptions::Mode::filter;
    }
    if (options.simulatorFolder && options.simulatorFolder->empty()) {
        error = "the simulator folder is empty";
        return std::nullopt;
    }
    return options;
}

int runCli(const std::vector<std::string>& args, CliIo& io) {
    std::string error;
    const std::optional<CliOptions> options = parseArguments(args, error);
    if (!options) {
        io.err << "cirrowisp-cli: " << error
               << "\nTry 'cirrowisp-cli --help' for more information.\n";
        return kExitUsage;
    }
    try {
        switch (options->mode) {
            case CliOptions::Mode::help:
                print(io.out, usageText());
                return kExitOk;
            case CliOptions::Mode::version:
                print(io.out, kVersion);
                return kExitOk;
            case CliOptions::Mode::filter:
                return runFilter(*options, io);
            case CliOptions::Mode::listSimulators:
                return runListSimulators(io);
            case CliOptions::Mode::scan:
                return runScan(*options, io);
            case CliOptions::Mode::restore:
                return runRestore(*options, io);
        }
    } catch (const FileError& failure) {
        io.err << "cirrowisp-cli: " << failure.what() << '\n';
        if (failure.kind() == FileErrorKind::accessDenied) {
            io.err << kElevationHint << '\n';
        }
        return kExitRunFailed;
    }
    return kExitUsage;
}

}  // namespace cirrowisp
