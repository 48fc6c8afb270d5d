#include "cli/restore_command.h"

#include <string>

#include "cli/scan_command.h"
#include "patcher/restore_scan.h"
#include "platform/host_file_system.h"

namespace cirrowisp {

namespace {

void print(ByteSink& sink, const std::string& text) {
    sink.write(text.data(), text.size());
}

int restoreTarget(const CliOptions& options, const CommandTarget& command, CliIo& io) {
    RestoreOptions restore;
    restore.simulatorPath = command.patch.simulatorPath;
    restore.simObjectPaths = command.patch.simObjectPaths;
    restore.includeFlyable = command.patch.includeFlyable != 0;
    restore.force = options.force;

    bool editedLeft = false;
    const RestoreObserver observer = [&](const RestoreReport& report) {
        const std::string folder = report.folder + (report.flyable ? ": flyable, " : ": AI, ");
        switch (report.outcome) {
            case RestoreReport::Outcome::leftAlone:
                // Always named: the pilot has to know which folders still hold the patch.
                io.err << folder << "left alone, " << report.reason << '\n';
                editedLeft = editedLeft || report.edited;
                break;
            case RestoreReport::Outcome::restored:
                if (options.verbose) {
                    io.err << folder << "restored"
                           << (report.keptCurrent ? ", the edited file kept as " +
                                                        std::string(kBeforeRestoreFileName)
                                                  : std::string())
                           << '\n';
                }
                break;
            case RestoreReport::Outcome::noBackup:
                if (options.verbose) {
                    io.err << folder << "no backup\n";
                }
                break;
            case RestoreReport::Outcome::skipped:
                break;
        }
    };
    const RestoreTotals totals =
        RestoreOriginals(restore, command.roots.folders, command.fileSystem, observer);
    if (editedLeft && !options.force) {
        io.err << "cirrowisp-cli: --restore --force restores edited folders too, keeping each "
                  "aircraft.cfg as "
               << kBeforeRestoreFileName << '\n';
    }

    if (options.dryRun) {
        print(io.out, "Dry run: nothing was changed. A real restore would report:\n");
    }
    print(io.out, restoreSummaryText(totals) + "\n");
    return totals.leftAlone > 0 ? kExitLeftAlone : kExitOk;
}

}  // namespace

int runRestoreOn(const CliOptions& options, FileSystem& fileSystem, CliIo& io) {
    return onCommandTarget(options, fileSystem, io.err, [&](const CommandTarget& command) {
        return restoreTarget(options, command, io);
    });
}

int runRestore(const CliOptions& options, CliIo& io) {
    const auto fileSystem = makeHostFileSystem();
    return runRestoreOn(options, *fileSystem, io);
}

}  // namespace cirrowisp
