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
    LeftAloneList leftAlone;
    const RestoreObserver observer = [&](const RestoreReport& report) {
        if (report.outcome == RestoreReport::Outcome::leftAlone) {
            leftAlone.add(report.folder, report.reason);
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
        outcome.message += leftAlone.text();
    }
    return outcome;
}

}  // namespace cirrowisp
