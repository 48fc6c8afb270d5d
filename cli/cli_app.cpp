#include "cli/cli_app.h"

#include <string>
#include <string_view>

#include "cirrowisp_version.h"
#include "cli/restore_command.h"
#include "cli/scan_command.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/file_error.h"

namespace cirrowisp {

namespace {

constexpr std::string_view kUsageBeforeOptions =
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

// The options list comes from the options table, between these two.
constexpr std::string_view kUsageAfterOptions =
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

std::string usageText() {
    return std::string(kUsageBeforeOptions) + cliOptionsHelp() + std::string(kUsageAfterOptions);
}

int runFilter(const CliOptions& options, CliIo& io) {
    // Whole, as a run reads a file: a UTF-16 text passed through the byte pass as it streams
    // would come out with single-byte line ends, every character after the first shifted.
    std::string input;
    char buffer[64 * 1024];
    for (std::size_t got; (got = io.in.read(buffer, sizeof buffer)) > 0;) {
        input.append(buffer, got);
    }
    const FileRewrite rewrite = rewriteFile(options.patch, input, io.out);
    if (!rewrite.unreadable.empty()) {
        io.out.write(input.data(), input.size());
        io.err << "cirrowisp-cli: standard input is marked as UTF-16 but holds "
               << rewrite.unreadable << ", which a rewrite would change; passed on unchanged\n";
        return kExitRunFailed;
    }
    io.err << "contrail lines added: " << rewrite.result.contrailsAdded
           << ", temperature lines written: " << rewrite.result.temperaturesChanged << '\n';
    return kExitOk;
}

}  // namespace

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
