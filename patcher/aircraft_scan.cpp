#include "patcher/aircraft_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "patcher/aircraft_roots.h"
#include "patcher/aircraft_update.h"
#include "patcher/file_error.h"
#include "patcher/file_system.h"
#include "patcher/publish_batch.h"

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
            bool pending = false;
            try {
                pending = treatFolder(report);
            } catch (const FileError&) {
                // The folders before this one end as they would have without batching: in
                // place. The first failure is the one to report.
                try {
                    publishBatch();
                } catch (const FileError&) {
                }
                throw;
            }
            if (batch_.empty()) {
                reportFolder(report);
                return;
            }
            waiting_.push_back({std::move(report), pending});
            if (waiting_.size() >= kPublishBatch.folders || batch_.bytes() >= kPublishBatch.bytes) {
                publishBatch();
            }
        });
        publishBatch();
        return totals_;
    }

private:
    // A folder's report, held back until the folders before it and itself are in place.
    struct Waiting {
        FolderReport report;
        bool pending;  // the folder's files are in the batch
    };

    std::string join(const std::string& folder, std::string_view name) const {
        return joinPath(folder, name, sep_);
    }

    // Puts the batch in place, then reports its folders and those between them, in order. On a
    // failure only those before the failed folder are reported (and counted): they are done.
    void publishBatch() {
        std::size_t done = SIZE_MAX;
        try {
            batch_.publish();
        } catch (const FileError&) {
            done = batch_.published();
            reportWaiting(done);
            throw;
        }
        reportWaiting(done);
    }

    void reportWaiting(std::size_t publishedFolders) {
        std::size_t seen = 0;
        for (const Waiting& waiting : waiting_) {
            if (waiting.pending && seen++ == publishedFolders) {
                break;
            }
            reportFolder(waiting.report);
        }
        waiting_.clear();
    }

    void reportFolder(const FolderReport& report) {
        if (report.treated) {
            if (report.flyable) {
                ++totals_.flyableAircraft;
            } else {
                ++totals_.aiAircraft;
            }
            totals_.contrailsAdded += report.contrailsAdded;
            totals_.temperaturesChanged += report.temperaturesChanged;
        }
        if (report.readOnly) {
            ++totals_.readOnlyLeftAlone;
        }
        if (observer_) {
            observer_(report);
        }
    }

    // Whether the folder's new files wait in the batch.
    bool treatFolder(FolderReport& report) {
        const std::string& folder = report.folder;
        std::optional<FolderNames> names = folderNames(folder, !batch_.empty());
        if (names && names->halfMade && !batch_.empty()) {
            // Maybe the batch's own files, reached again under another path (a link, or a
            // folder listed twice): they go in place first, so this visit sees the result.
            publishBatch();
            names = folderNames(folder, false);
        }
        if (!names) {
            return false;  // removed meanwhile or not ours to enter
        }
        return treatAircraft(report, *names);
    }

    // The names the folder's treatment needs; halfMade only when `askHalfMade`.
    std::optional<FolderNames> folderNames(const std::string& folder, bool askHalfMade) {
        if (const std::optional<bool> panel = fs_.existsAnyCase(join(folder, "panel"))) {
            // The file system finds each name in any case: aircraft.cfg and the backup go by
            // their own names, and opening them tells whether they are there. Whether the
            // backup is a link is asked only of a folder about to be written (see
            // AircraftPaths). A second run then asks what the simulator asks, and no more.
            FolderNames names;
            names.hasPanel = *panel;
            names.aircraft = kAircraftFileName;
            names.backups = {kBackupFileName};
            names.backupUnlisted = true;
            names.halfMade =
                askHalfMade &&
                (fs_.existsAnyCase(join(folder, kNewAircraftFileName)).value_or(false) ||
                 fs_.existsAnyCase(join(folder, kBackupTempFileName)).value_or(false));
            return names;
        }
        auto listing = fs_.listFolder(folder);
        if (listing == nullptr) {
            return std::nullopt;
        }
        return readFolderNames(*listing);
    }

    bool treatAircraft(FolderReport& report, const FolderNames& names) {
        const std::string& folder = report.folder;
        report.flyable = names.hasPanel;
        if (names.hasPanel && options_.includeFlyable == 0) {
            return false;
        }
        if (!names.aircraft) {
            return false;
        }
        if (names.link) {
            // Never replace aircraft.cfg without a backup of our own.
            report.leftAlone = linkReason(*names.link);
            return false;
        }
        const std::string aircraftPath = join(folder, *names.aircraft);
        auto input = fs_.openRead(aircraftPath);
        if (input == nullptr) {
            return false;  // missing, or held open by another program: skipped, not counted
        }
        if (input->readOnly()) {
            // Windows refuses to rename over such a file and would end the run there; Linux
            // would replace it without a word. Either way the pilot's protection would be lost.
            report.leftAlone = readOnlyReason(*names.aircraft);
            report.readOnly = true;
            return false;
        }

        AircraftPaths paths{
            folder,
            aircraftPath,
            join(folder, kNewAircraftFileName),
            join(folder, names.backups.empty() ? std::string(kBackupFileName) : names.backups[0]),
            join(folder, kBackupTempFileName),
            {},
            names.backupUnlisted};
        for (const std::string& name : names.backups) {
            paths.existingBackups.push_back(join(folder, name));
        }
        const AircraftUpdate update = updater_.update(paths, std::move(input));
        if (update.backupIsLink) {
            report.leftAlone = linkReason(kBackupFileName);
        }
        if (!update.treated) {
            // A read-only folder, or a file that cannot be rewritten: left exactly as it was,
            // not counted, and named when a file was due there, so that a tree the user may
            // not write (Program Files) says so.
            if (!update.leftAlone.empty()) {
                report.leftAlone = update.leftAlone;
            } else if (!update.refusal.empty()) {
                report.leftAlone = unwritableReason(update.refusal);
                report.accessDenied = update.refusalKind == FileErrorKind::accessDenied;
            }
            return false;
        }
        report.treated = true;
        report.contrailsAdded = update.result.contrailsAdded;
        report.temperaturesChanged = update.result.temperaturesChanged;
        report.backupMade = update.backupMade;
        report.rewritten = update.pending;
        return update.pending;
    }

    const PatchOptions& options_;
    FileSystem& fs_;
    const FolderObserver& observer_;
    const char sep_;
    PublishBatch batch_{fs_};
    AircraftUpdater updater_{options_, fs_, batch_};
    std::vector<Waiting> waiting_;
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
    return text.data() + readOnlySummaryLine(totals.readOnlyLeftAlone);
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
