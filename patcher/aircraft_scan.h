#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "patcher/aircraft_folders.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

class FileSystem;

// The counters of one run.
struct ScanTotals {
    std::int32_t aiAircraft = 0;
    std::int32_t flyableAircraft = 0;
    std::int32_t contrailsAdded = 0;
    std::int32_t temperaturesChanged = 0;
    std::int32_t readOnlyLeftAlone = 0;  // aircraft.cfg files left alone for being read-only
};

// What happened in one aircraft folder; reported to an optional observer (verbose output,
// progress) for every folder the run looks at, treated or not.
struct FolderReport {
    std::string folder;    // full path of the aircraft folder
    bool treated = false;  // false: left alone (no aircraft.cfg, flyable and not included, ...)
    bool flyable = false;
    std::int32_t contrailsAdded = 0;
    std::int32_t temperaturesChanged = 0;
    bool backupMade = false;
    // A new aircraft.cfg was written: the rewrite differs from the file, or the file was too
    // large to compare in memory (kSpoolLimit) and was replaced as it came out.
    bool rewritten = false;
    // Why an aircraft the run would have treated was left alone, for the pilot to hear of it;
    // empty for every folder left alone as a matter of course.
    std::string leftAlone;
    bool readOnly = false;      // left alone because aircraft.cfg is read-only
    bool accessDenied = false;  // left alone because the user may not create files there
};

using FolderObserver = std::function<void(const FolderReport&)>;

// The message shown after a run: three lines, and one more when read-only files were left alone.
std::string summaryText(const ScanTotals& totals);

// One run over the aircraft folders directly inside `roots` (see findAircraftRoots). Throws
// FileError when a file operation fails; folders finished before stay finished, the folder at
// hand keeps its aircraft.cfg unchanged.
ScanTotals AircraftScan(const PatchOptions& options, const std::vector<std::string>& roots,
                        FileSystem& fileSystem, const FolderObserver& observer = {});

// The same over the roots that findAircraftRoots(options) finds.
ScanTotals AircraftScan(const PatchOptions& options, FileSystem& fileSystem,
                        const FolderObserver& observer = {});

}  // namespace cirrowisp
