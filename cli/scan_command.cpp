#include "cli/scan_command.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "cli/scan_roots.h"
#include "patcher/aircraft_scan.h"
#include "platform/host_file_system.h"
#include "platform/overlay_file_system.h"

namespace cirrowisp {

namespace {

// A "folders done" counter on one terminal line of standard error. It appears only once a run
// has lasted a moment, so a quick run prints nothing extra, and it is wiped before anything
// else is written to the terminal.
class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void folderDone() {
        ++done_;
        if (!enabled_) {
            return;
        }
        const auto now = Clock::now();
        if (now - start_ < kDelay || (shown_ && now - lastShown_ < kInterval)) {
            return;
        }
        const std::string text = std::to_string(done_) + " aircraft folders done";
        err_ << '\r' << text << std::flush;
        width_ = text.size();
        shown_ = true;
        lastShown_ = now;
    }

    void clear() {
        if (shown_) {
            err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
            shown_ = false;
            lastShown_ = {};
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kDelay = std::chrono::milliseconds(500);
    static constexpr auto kInterval = std::chrono::milliseconds(100);

    std::ostream& err_;
    bool enabled_;
    std::size_t done_ = 0;
    bool shown_ = false;
    std::size_t width_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_{};
};

std::string describe(const FolderReport& report) {
    std::string line = report.folder + ": " + (report.flyable ? "flyable" : "AI");
    std::string changes;
    auto add = [&changes](const char* what) {
        changes += changes.empty() ? "" : ", ";
        changes += what;
    };
    if (report.contrailsAdded > 0) {
        add(report.contrailsAdded == 1 ? "contrail line added" : "contrail lines added");
    }
    if (report.temperaturesChanged > 0) {
        add(report.temperaturesChanged == 1 ? "temperature line written"
                                            : "temperature lines written");
    }
    if (changes.empty()) {
        // Removed contrail lines and tidied blank lines are not counted, but they do change
        // the file.
        add(report.rewritten ? "rewritten, nothing added" : "unchanged");
    }
    if (report.backupMade) {
        add("backup made");
    }
    return line + ", " + changes;
}

void print(ByteSink& sink, const std::string& text) {
    sink.write(text.data(), text.size());
}

int scanTarget(const CliOptions& options, const CommandTarget& command, CliIo& io) {
    checkEffectFile(options, command.patch, command.configFile, command.fileSystem, io.err);

    ProgressLine progress(io.err, io.errIsTerminal);
    bool accessDenied = false;
    const FolderObserver observer = [&](const FolderReport& report) {
        if (options.verbose && report.treated) {
            progress.clear();
            io.err << describe(report) << '\n';
        }
        if (!report.leftAlone.empty()) {
            // Said whether or not the pilot asked for details: the aircraft keeps no contrails
            // until the folder is set right.
            progress.clear();
            io.err << report.folder << ": left alone, " << report.leftAlone << '\n';
        }
        accessDenied = accessDenied || report.accessDenied;
        progress.folderDone();
    };
    const ScanTotals totals =
        AircraftScan(command.patch, command.roots.folders, command.fileSystem, observer);
    progress.clear();
    if (accessDenied) {
        io.err << kElevationHint << '\n';
    }

    if (options.dryRun) {
        print(io.out, "Dry run: nothing was changed. A real run would report:\n");
    }
    print(io.out, summaryText(totals) + "\n");
    return kExitOk;
}

}  // namespace

std::optional<SimulatorChoice> commandLineSimulator(const CliOptions& options,
                                                    FileSystem& fileSystem, std::ostream& err) {
    SimulatorChoice choice;
    if (options.simulatorName) {
        const std::vector<SimulatorInstallation> found = findHostSimulators(fileSystem);
        const auto chosen = std::find_if(
            found.begin(), found.end(),
            [&](const SimulatorInstallation& i) { return i.row->name == *options.simulatorName; });
        if (chosen == found.end()) {
            std::string installed;
            for (const SimulatorInstallation& installation : found) {
                installed += (installed.empty() ? "" : ", ") + std::string(installation.row->name);
            }
            err << "cirrowisp-cli: "
                << (findSimulatorRow(*options.simulatorName) ? "no installation of simulator '"
                                                             : "unknown simulator '")
                << *options.simulatorName
                << "' (installed here: " << (installed.empty() ? "none" : installed) << ")\n"
                << "Try 'cirrowisp-cli --list-simulators' for where they were found.\n";
            return std::nullopt;
        }
        choice = {chosen->folder, chosen->configFile};
    } else if (!options.simulatorFolder) {
        choice = defaultSimulator(findHostSimulators(fileSystem));
    }
    if (options.simulatorFolder) {
        choice.folder = *options.simulatorFolder;
    }
    if (options.simulatorConfig) {
        choice.configFile = *options.simulatorConfig;
    }
    return choice;
}

int runListSimulatorsOn(FileSystem& fileSystem, CliIo& io) {
    for (const SimulatorInstallation& installation : findHostSimulators(fileSystem)) {
        print(io.out, std::string(installation.row->name) + '\t' + installation.folder + '\t' +
                          installation.foundIn + '\n');
    }
    return kExitOk;
}

int runListSimulators(CliIo& io) {
    const auto fileSystem = makeHostFileSystem();
    return runListSimulatorsOn(*fileSystem, io);
}

int onCommandTarget(const CliOptions& options, FileSystem& fileSystem, std::ostream& err,
                    const std::function<int(const CommandTarget&)>& work) {
    const std::optional<SimulatorChoice> simulator = commandLineSimulator(options, fileSystem, err);
    if (!simulator) {
        return kExitUsage;
    }
    PatchOptions patch = options.patch;
    patch.simulatorPath = simulator->folder;

    OverlayFileSystem dryRun(fileSystem);
    FileSystem& target = options.dryRun ? static_cast<FileSystem&>(dryRun) : fileSystem;

    std::optional<AircraftRoots> roots =
        commandLineRoots(options, patch, simulator->configFile, target, err);
    if (!roots) {
        return kExitUsage;
    }
    return work(CommandTarget{patch, simulator->configFile, target, std::move(*roots)});
}

int runScanOn(const CliOptions& options, FileSystem& fileSystem, CliIo& io) {
    return onCommandTarget(options, fileSystem, io.err, [&](const CommandTarget& command) {
        return scanTarget(options, command, io);
    });
}

int runScan(const CliOptions& options, CliIo& io) {
    const auto fileSystem = makeHostFileSystem();
    return runScanOn(options, *fileSystem, io);
}

}  // namespace cirrowisp
