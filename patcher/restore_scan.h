#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "patcher/aircraft_folders.h"

namespace cirrowisp {

class FileSystem;

// The choices of one restore. The folders are those a run with the same folders and flyable
// choice would treat.
struct RestoreOptions {
    std::string simulatorPath;
    // The further roots a run was given (see PatchOptions::simObjectPaths).
    std::vector<std::string> simObjectPaths;
    bool includeFlyable = false;
    // Restore folders edited since the run too, keeping their aircraft.cfg beside them first.
    bool force = false;
};

// The counters of one restore.
struct RestoreTotals {
    std::int32_t aiRestored = 0;
    std::int32_t flyableRestored = 0;
    std::int32_t leftAlone = 0;      // a backup, but the folder was not restored
    std::int32_t withoutBackup = 0;  // an aircraft.cfg and no backup: nothing to put back
    std::int32_t readOnly = 0;       // of those left alone, for a read-only aircraft.cfg
};

// What happened in one aircraft folder; reported for every folder the restore looks at.
struct RestoreReport {
    enum class Outcome { skipped, restored, leftAlone, noBackup };
    std::string folder;                  // full path of the aircraft folder
    Outcome outcome = Outcome::skipped;  // skipped: not a folder a run would treat
    bool flyable = false;
    bool edited = false;       // it differed from its backup in more than a run changes
    bool keptCurrent = false;  // that file is now aircraft_before_restore.cfg (forced)
    std::string reason;        // why the folder was left alone
};

using RestoreObserver = std::function<void(const RestoreReport&)>;

// The message shown after a restore, on the pattern of a run's summaryText.
std::string restoreSummaryText(const RestoreTotals& totals);

// Puts the original files back in the aircraft folders directly inside `roots` (see
// findAircraftRoots), the folders a run over those roots visits. In each folder with a
// backup whose aircraft.cfg differs from it in nothing but what a run changes (see
// firstEditedLine), the backup's bytes become aircraft.cfg again in one atomic step and the
// backup is removed after that; any other folder with a backup is left alone and reported, or,
// forced, restored after its aircraft.cfg has been kept as aircraft_before_restore.cfg. Throws
// FileError when a file operation fails: folders finished before stay finished, the folder at
// hand keeps an aircraft.cfg and its backup, and a second restore finishes the job.
RestoreTotals RestoreOriginals(const RestoreOptions& options, const std::vector<std::string>& roots,
                               FileSystem& fileSystem, const RestoreObserver& observer = {});

// The same over the roots findAircraftRoots finds for the options' folders.
RestoreTotals RestoreOriginals(const RestoreOptions& options, FileSystem& fileSystem,
                               const RestoreObserver& observer = {});

}  // namespace cirrowisp
