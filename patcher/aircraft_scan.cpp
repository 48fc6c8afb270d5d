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
#include "platform/file_system.h"

namespace cirrowisp {

namespace {

// The simulator's own file system ignores case; a tree copied to Linux keeps whatever case its
// author typed, so "Aircraft.cfg" and "PANEL" must still be found. The names we look for are
// ASCII, and every byte of a non-ASCII character in a UTF-8 name (as on Windows and Linux) is
// above 0x7F, so plain ASCII folding is exact.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

// The names in one aircraft folder that the run cares about, with their spelling on disk.
struct FolderNames {
    std::optional<std::string> aircraft;
    std::vector<std::string> backups;
    bool hasPanel = false;
};

FolderNames readNames(DirectoryListing& listing) {
    FolderNames names;
    DirEntry entry;
    while (listing.next(entry)) {
        if (sameName(entry.name, "panel")) {
            names.hasPanel = true;  // a file or a folder, as the simulator's "panel." matches
        } else if (!entry.isFolder && sameName(entry.name, kAircraftFileName)) {
            // Two spellings can only meet on a case-sensitive disk; the exact one wins.
            if (!names.aircraft || entry.name == kAircraftFileName) {
                names.aircraft = entry.name;
            }
        } else if (sameName(entry.name, kBackupFileName)) {
            names.backups.push_back(entry.name);
        }
    }
    return names;
}

class Scan {
public:
    Scan(const PatchOptions& options, FileSystem& fs, const FolderObserver& observer)
        : options_(options), fs_(fs), observer_(observer), sep_(fs.separator()) {}

    ScanTotals run(const std::vector<std::string>& roots) {
        for (const std::string& root : roots) {
            scanRoot(root);
        }
        return totals_;
    }

private:
    std::string join(const std::string& folder, std::string_view name) const {
        std::string path = folder;
        if (path.empty() || path.back() != sep_) {
            path += sep_;
        }
        path += name;
        return path;
    }

    void scanRoot(const std::string& root) {
        auto listing = fs_.listFolder(root);
        if (listing == nullptr) {
            return;  // no such root in this simulator
        }
        // Folders are treated while the root is listed, so nothing here grows with the number
        // of folders. Treating one adds and removes files only, inside that folder (or inside
        // the root itself for "."); a listing still delivers every folder that stays in place
        // exactly once, and the files it may or may not show are skipped anyway.
        DirEntry entry;
        while (listing->next(entry)) {
            // "*." finds names without an extension, and "." and ".." like any other folder.
            const bool noExtension = entry.name.find('.') == std::string::npos;
            if (entry.isFolder && (noExtension || entry.name == "." || entry.name == "..")) {
                FolderReport report;
                report.folder = join(root, entry.name);
                treatFolder(report);
                if (observer_) {
                    observer_(report);
                }
            }
        }
    }

    void treatFolder(FolderReport& report) {
        const std::string& folder = report.folder;
        auto listing = fs_.listFolder(folder);
        if (listing == nullptr) {
            return;  // removed meanwhile or not ours to enter
        }
        const FolderNames names = readNames(*listing);
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
