#include "cli/cli_options.h"

#include <algorithm>
#include <cstdint>

#include "patcher/engine_types.h"
#include "platform/system_code_page.h"

namespace cirrowisp {

namespace {

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

std::string defaultEngines() {
    const PatchOptions defaults;
    std::string selected;
    for (const EngineTypeRow& row : kEngineTypes) {
        if (defaults.*row.field == 0)
            continue;
        if (!selected.empty())
            selected += ',';
        selected += row.cliName;
    }
    return selected;
}

bool setEngines(std::string_view list, CliOptions& options, std::string& error) {
    for (const EngineTypeRow& row : kEngineTypes) options.patch.*row.field = 0;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        const auto row = std::find_if(kEngineTypes.begin(), kEngineTypes.end(),
                                      [&](const EngineTypeRow& r) { return r.cliName == name; });
        if (row == kEngineTypes.end()) {
            error = refusalText(CliRefusal::unknownEngine, name);
            return false;
        }
        options.patch.*row->field = 1;
    }
    return true;
}

bool setTemperature(std::string_view text, CliOptions& options, std::string& error) {
    const TemperatureReading temperature = readTemperature(text);
    if (temperature.kind != TemperatureReading::Kind::accepted) {
        error = refusalText(CliRefusal::temperature, text);
        return false;
    }
    options.patch.maxContrailTemperature = temperature.value;
    return true;
}

bool setEffect(std::string_view text, CliOptions& options, std::string& error) {
    // A line break or an end-of-file byte in the name would split the written line or cut the
    // file short when the simulator reads it.
    if (text.find_first_of(std::string_view("\r\n\x1a", 3)) != std::string_view::npos) {
        error = refusalText(CliRefusal::effectLineBreak);
        return false;
    }
    // The command line's text is UTF-8; aircraft.cfg is written in the system's code page.
    const std::optional<std::string> bytes = inSystemCodePage(std::string(text));
    if (!bytes) {
        error = refusalText(CliRefusal::effectCodePage);
        return false;
    }
    options.patch.effectName = *bytes;
    return true;
}

bool setFsxCfg(std::string_view text, CliOptions& options, std::string& error) {
    if (text.empty()) {
        error = refusalText(CliRefusal::emptyFsxCfg);
        return false;
    }
    options.simulatorConfig = std::string(text);
    options.simObjectPaths = true;
    return true;
}

// A switch without a value: the table's rows stay one line each.
template <auto Member, auto Value>
bool setMember(std::string_view, CliOptions& options, std::string&) {
    options.*Member = Value;
    return true;
}

template <CliOptions::Mode Mode>
bool setMode(std::string_view, CliOptions& options, std::string&) {
    options.mode = Mode;
    return true;
}

bool setIncludeFlyable(std::string_view, CliOptions& options, std::string&) {
    options.patch.includeFlyable = 1;
    return true;
}

bool setSimulator(std::string_view text, CliOptions& options, std::string&) {
    options.simulatorName = std::string(text);
    return true;
}

using Mode = CliOptions::Mode;
constexpr unsigned kPatching = kRunScan | kRunFilter;  // what to write
constexpr unsigned kFolders = kRunScan | kRunRestore;  // which folders, and how to report
constexpr std::string_view kFolderArgument = "a simulator folder";

std::vector<CliOption> makeTable() {
    const PatchOptions defaults;
    return {
        {"--engines", "", "LIST", kPatching, 0, "", setEngines,
         "engine types to treat, comma-separated from " + engineNameList(", ") +
             " (default: " + defaultEngines() + "); --engines= selects none"},
        {"--temperature", "", "N", kPatching, 0, "", setTemperature,
         "contrail temperature in degrees Celsius, " + std::to_string(kMinContrailTemperature) +
             " to " + std::to_string(kMaxContrailTemperature) +
             " (default: " + std::to_string(defaults.maxContrailTemperature) + ")"},
        {"--effect", "", "NAME", kPatching, 0, "", setEffect,
         "effect file name written after contrail= (default: " + defaults.effectName +
             "); a warning when the simulator's Effects folder and packages lack it"},
        {"--flyable", "", "", kFolders, 0, "", setIncludeFlyable,
         "treat player-flyable aircraft (folders with a panel) too"},
        {"--simobject-paths", "", "", kFolders, 0, "", setMember<&CliOptions::simObjectPaths, true>,
         "also treat the aircraft folders directly inside every folder that the simulator's "
         "configuration file (fsx.cfg) lists in [Main] as SimObjectPaths.N (relative to "
         "SIMULATOR_FOLDER, or absolute), such as SimObjects\\Rotorcraft and AI traffic folders; "
         "for Prepar3D v2 and later also simobjects.cfg's active entries and the SimObjects of "
         "every active add-on package; each folder once"},
        {"--fsx-cfg", "", "FILE", kFolders, 0, "", setFsxCfg,
         "read that fsx.cfg (implies --simobject-paths); by default the user's, in "
         "Microsoft\\FSX of the roaming application data folder (on Linux, inside the Wine "
         "prefix)"},
        {"--simulator", "", "NAME", kFolders, 0, "", setSimulator,
         "the simulator whose folder and configuration file are used, one of those "
         "--list-simulators prints (a SIMULATOR_FOLDER given as well wins for the folder)"},
        {"--list-simulators", "", "", kEveryRun, 0, "", setMode<Mode::listSimulators>,
         "print each simulator installation found: its name, a tab, its folder, a tab, where "
         "it was found"},
        {"--dry-run", "", "", kFolders, 0, "", setMember<&CliOptions::dryRun, true>,
         "change nothing; print what a real run would report"},
        {"--verbose", "-v", "", kFolders, 0, "", setMember<&CliOptions::verbose, true>,
         "one line per treated aircraft, per list of folders read, and per listed folder that "
         "is not there, on standard error"},
        {"--restore", "", "", kRunRestore, kRunRestore, "puts the original files back",
         setMode<Mode::restore>, "put the original files back instead of patching"},
        {"--force", "", "", kRunRestore, 0, "", setMember<&CliOptions::force, true>,
         "with --restore: restore edited folders too, keeping their aircraft.cfg as "
         "aircraft_before_restore.cfg"},
        {"--filter", "", "", kRunFilter, kRunFilter, "reads one file from standard input",
         setMode<Mode::filter>, "rewrite one aircraft.cfg from standard input to standard output"},
        {"--help", "-h", "", kEveryRun, 0, "", setMode<Mode::help>, "show this help and exit"},
        {"--version", "", "", kEveryRun, 0, "", setMode<Mode::version>,
         "show the version and exit"},
    };
}

const CliOption* findOption(std::string_view name) {
    for (const CliOption& row : cliOptionTable()) {
        if (row.name == name || (!row.alias.empty() && row.alias == name))
            return &row;
    }
    return nullptr;
}

// The option that switches to `kind`, for a refusal that names the run.
const CliOption* selecting(unsigned kind) {
    for (const CliOption& row : cliOptionTable()) {
        if (row.selects == kind)
            return &row;
    }
    return nullptr;
}

// One entry of the options list: the option, then its text from the entries' column on,
// broken between words so that no line grows wider than the others.
std::string optionHelp(std::string_view option, std::string_view text) {
    constexpr std::size_t kTextColumn = 22;
    constexpr std::size_t kWidth = 88;
    std::string entry = "  " + std::string(option);
    entry.resize(std::max(kTextColumn, entry.size() + 1), ' ');
    std::size_t column = entry.size();
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

// An argument the options have been checked against: what it was and where it applies.
struct Given {
    std::string_view name;
    unsigned appliesTo;
};

}  // namespace

std::span<const CliOption> cliOptionTable() {
    static const std::vector<CliOption> table = makeTable();
    return table;
}

std::string cliOptionsHelp() {
    std::string list;
    for (const CliOption& row : cliOptionTable()) {
        const std::string option = row.valueName.empty()
                                       ? std::string(row.name)
                                       : std::string(row.name) + " " + std::string(row.valueName);
        list += optionHelp(option, row.help);
    }
    return list;
}

std::string refusalText(CliRefusal refusal, std::string_view subject, std::string_view other) {
    const std::string s(subject);
    switch (refusal) {
        case CliRefusal::unknownOption:
            return "unknown option '" + s + "'";
        case CliRefusal::needsValue:
            return s + " needs a value";
        case CliRefusal::takesNoValue:
            return s + " takes no value";
        case CliRefusal::temperature:
            return "the temperature must be a whole number from " +
                   std::to_string(kMinContrailTemperature) + " to " +
                   std::to_string(kMaxContrailTemperature) + ", not '" + s + "'";
        case CliRefusal::unknownEngine:
            return "unknown engine type '" + s + "' (expected " + engineNameList(" or ") + ")";
        case CliRefusal::effectLineBreak:
            return "the effect name must not contain a line break or a Ctrl-Z byte";
        case CliRefusal::effectCodePage:
            return "the effect name holds a character that the system's code page lacks";
        case CliRefusal::emptyFsxCfg:
            return "the fsx.cfg path is empty";
        case CliRefusal::twoFolders:
            return "only one simulator folder can be given";
        case CliRefusal::emptyFolder:
            return "the simulator folder is empty";
        case CliRefusal::doesNotApply: {
            const CliOption* run = findOption(other);
            return s + " does not apply to " + std::string(other) +
                   (run ? ", which " + std::string(run->purpose) : std::string());
        }
        case CliRefusal::needsRun:
            return s + " goes with " + std::string(other);
    }
    return s;
}

std::optional<CliOptions> parseArguments(const std::vector<std::string>& args, std::string& error) {
    CliOptions options;
    std::vector<Given> given;
    unsigned selected = 0;
    auto addFolder = [&](const std::string& folder) {
        if (options.simulatorFolder) {
            error = refusalText(CliRefusal::twoFolders);
            return false;
        }
        options.simulatorFolder = folder;
        given.push_back({kFolderArgument, kFolders});
        return true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::optional<std::string_view> inlineValue;
        if (arg.starts_with("--") && arg.find('=') != std::string_view::npos) {
            inlineValue = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
        }
        if (arg == "--" && !inlineValue) {
            for (++i; i < args.size(); ++i) {
                if (!addFolder(args[i]))
                    return std::nullopt;
            }
            break;
        }
        const CliOption* row = findOption(arg);
        if (!row && arg.size() > 1 && arg.front() == '-') {
            error = refusalText(CliRefusal::unknownOption, args[i]);
            return std::nullopt;
        }
        if (!row) {
            if (!addFolder(args[i]))
                return std::nullopt;
            continue;
        }
        std::string_view value;
        if (!row->valueName.empty()) {
            if (!inlineValue && i + 1 >= args.size()) {
                error = refusalText(CliRefusal::needsValue, arg);
                return std::nullopt;
            }
            value = inlineValue ? *inlineValue : std::string_view(args[++i]);
        } else if (inlineValue) {
            error = refusalText(CliRefusal::takesNoValue, arg);
            return std::nullopt;
        }
        if (!row->apply(value, options, error))
            return std::nullopt;
        // Help, version and the list of simulators answer at once, whatever follows.
        if (options.mode == Mode::help || options.mode == Mode::version ||
            options.mode == Mode::listSimulators)
            return options;
        given.push_back({row->name, row->appliesTo});
        // A restore wins over a filter, so the refusal names the filter as what does not apply.
        if (row->selects != 0 && (selected == 0 || row->selects == kRunRestore))
            selected = row->selects;
    }
    const unsigned run = selected != 0 ? selected : kRunScan;
    for (const Given& option : given) {
        if ((option.appliesTo & run) != 0)
            continue;
        if (run == kRunScan) {
            const CliOption* needed = selecting(option.appliesTo);
            error = refusalText(CliRefusal::needsRun, option.name, needed ? needed->name : "");
        } else {
            error = refusalText(CliRefusal::doesNotApply, option.name, selecting(run)->name);
        }
        return std::nullopt;
    }
    options.mode = run == kRunRestore  ? Mode::restore
                   : run == kRunFilter ? Mode::filter
                                       : Mode::scan;
    if (options.simulatorFolder && options.simulatorFolder->empty()) {
        error = refusalText(CliRefusal::emptyFolder);
        return std::nullopt;
    }
    return options;
}

}  // namespace cirrowisp
