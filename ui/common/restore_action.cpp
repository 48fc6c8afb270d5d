#include "ui/common/restore_action.h"

#include "patcher/file_error.h"
#include "patcher/simobject_paths.h"
#include "platform/simulator_config.h"

namespace cirrowisp {

std::string restoreQuestionText(const FormValues& form) {
    return "Restore the original files below\n" + form.simulatorPath + "\n" +
           (form.simObjectPaths ? "and in the folders fsx.cfg lists\n" : "") +
           (form.flyable ? "(flyable aircraft included)?" : "(AI aircraft only)?") +
           "\n\nEach aircraft folder with a backup (" + kBackupFileName +
           ") gets its first aircraft.cfg back, and the backup is removed. A folder whose "
           "aircraft.cfg was edited since the run is left alone.";
}

RestoreOutcome runRestoreFromForm(const FormValues& form, FileSystem& fileSystem,
                                  const std::string& simulatorConfig) {
    RestoreOptions options;
    options.simulatorPath = form.simulatorPath;
    options.includeFlyable = form.flyable;
    RestoreOutcome outcome;
    if (form.simObjectPaths) {
        try {
            options.simObjectPaths = simulatorListedFolders(simulatorConfig);
        } catch (const FileError& error) {
            outcome.kind = RestoreOutcome::Kind::failed;
            outcome.message = "The simulator's list of aircraft folders cannot be read:\n" +
                              error.path() + "\n\n" + error.reason();
            return outcome;
        }
    }
    std::string named;  // one line per folder left alone, up to kNamedFoldersLeftAlone
    std::size_t namedCount = 0;
    std::size_t unnamed = 0;
    const RestoreObserver observer = [&](const RestoreReport& report) {
        if (report.outcome != RestoreReport::Outcome::leftAlone) {
            return;
        }
        if (namedCount < kNamedFoldersLeftAlone) {
            named += report.folder + ": " + report.reason + "\n";
            ++namedCount;
        } else {
            ++unnamed;
        }
    };
    try {
        outcome.totals = RestoreOriginals(options, fileSystem, observer);
    } catch (const FileError& error) {
        outcome.kind = RestoreOutcome::Kind::failed;
        outcome.message = fileErrorText(error);
        return outcome;
    }
    outcome.message = restoreSummaryText(outcome.totals);
    if (outcome.totals.leftAlone > 0) {
        outcome.kind = RestoreOutcome::Kind::leftAlone;
        outcome.message += "\n\nLeft alone:\n" + named;
        if (unnamed > 0) {
            outcome.message += "... and " + std::to_string(unnamed) + " more\n";
        }
        outcome.message.pop_back();  // no line end after the last line, as in the summary
    }
    return outcome;
}

}  // namespace cirrowisp
