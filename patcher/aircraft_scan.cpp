#include "patcher/aircraft_scan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "patcher/aircraft_roots.h"
#include "patcher/aircraft_update.h"
#include "patcher/file_system.h"

namespace cirrowisp {

namespace {

class Scan {
public:
    Scan(const PatchOptions& options, FileSystem& fs, const FolderObserver& observer)
        : options_(options), fs_(fs), observer_(observer), sep_(fs.separator()) {}

    ScanTotals run(const std::vector<std::string>& roots) {
        forEachAircraftFolder(roots, fs_, [this](const std::string& folder) {
            FolderReport report;
            report.folder = folder;
            treatFolder(report);
            if (observer_) {
                observer_(report);
            }
        });
        return totals_;
    }

private:
    std::string join(const std::string& folder, std::string_view name) const {
        return joinPath(folder, name, sep_);
    }

    void treatFolder(FolderReport& report) {
        const std::string& folder = report.folder;
        auto listing = fs_.listFolder(folder);
        if (listing == nullptr) {
            return;  // removed meanwhile or not ours to enter
        }
        const FolderNames names = readFolderNames(*listing);
        listing.reset();
        report.flyable = names.hasPanel;
        if (names.hasPanel && options_.includeFlyable == 0) {
            return;
        }
        if (!names.aircraft) {
            return;
        }
        const std::string aircraftPath = join(folder, *names.aircraft);
        auto input = fs_.openRead(aircraftPath);
        if (input == nullptr) {
            return;  // missing, or held open by another program: skipped, not counted
        }

        AircraftPaths paths{
            folder,
            aircraftPath,
            join(folder, kNewAircraftFileName),
            join(folder, names.backups.empty() ? std::string(kBackupFileName) : names.backups[0]),
            join(folder, kBackupTempFileName),
            {}};
        for (const std::string& name : names.backups) {
            paths.existingBackups.push_back(join(folder, name));
        }
        // Only a report reader cares whether a file too large to compare in memory changed.
        const AircraftUpdate update =
            updater_.update(paths, std::move(input), static_cast<bool>(observer_));
        if (!update.treated) {
            return;  // a read-only folder: left exactly as it was, not counted
        }
        report.treated = true;
        if (names.hasPanel) {
            ++totals_.flyableAircraft;
        } else {
            ++totals_.aiAircraft;
        }
        totals_.contrailsAdded += update.result.contrailsAdded;
        totals_.temperaturesChanged += update.result.temperaturesChanged;
        report.contrailsAdded = update.result.contrailsAdded;
        report.temperaturesChanged = update.result.temperaturesChanged;
        report.backupMade = update.backupMade;
        report.bytesChanged = update.bytesChanged;
    }

    const PatchOptions& options_;
    FileSystem& fs_;
    const FolderObserver& observer_;
    const char sep_;
    AircraftUpdater updater_{options_, fs_};
    ScanTotals totals_;
};

}  // namespace

std::string summaryText(const ScanTotals& totals) {
    std::array<char, 256> text{};
    std::snprintf(text.data(), text.size(),
                  "Scanned %d AI and %d flyable aircrafts files for contrails.\n"
                  "Added contrails to %d files.\n"
                  "Changed temperature in %d files.",
                  static_cast<int>(totals.aiAircraft), static_cast<int>(totals.flyableAircraft),
                  static_cast<int>(totals.contrailsAdded),
                  static_cast<int>(totals.temperaturesChanged));
    return text.data();
}

ScanTotals AircraftScan(const PatchOptions& options, const std::vector<std::string>& roots,
                        FileSystem& fileSystem, const FolderObserver& observer) {
    return Scan(options, fileSystem, observer).run(roots);
}

ScanTotals AircraftScan(const PatchOptions& options, FileSystem& fileSystem,
                        const FolderObserver& observer) {
    return AircraftScan(options, findAircraftRoots(options, fileSystem).folders, fileSystem,
                        observer);
}

}  // namespace cirrowisp
