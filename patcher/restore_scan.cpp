#include "patcher/restore_scan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "patcher/aircraft_folders.h"
#include "patcher/aircraft_roots.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/file_system.h"
#include "patcher/line_io.h"

namespace cirrowisp {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Fills `buffer` as far as the source goes: a read may return less than asked before the end.
std::size_t readFull(ByteSource& source, char* buffer, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const std::size_t step = source.read(buffer + got, size - got);
        if (step == 0) {
            break;
        }
        got += step;
    }
    return got;
}

// Byte for byte, every byte (after a Ctrl-Z too); stops at the first chunk that differs.
bool sameBytes(ByteSource& a, ByteSource& b) {
    ChunkBuffer bufferA(kChunk);
    ChunkBuffer bufferB(kChunk);
    for (;;) {
        const std::size_t gotA = readFull(a, bufferA.data(), bufferA.size());
        const std::size_t gotB = readFull(b, bufferB.data(), bufferB.size());
        if (gotA != gotB || std::memcmp(bufferA.data(), bufferB.data(), gotA) != 0) {
            return false;
        }
        if (gotA == 0) {
            return true;
        }
    }
}

void copyAll(ByteSource& source, ByteSink& sink) {
    ChunkBuffer buffer(kChunk);
    while (const std::size_t got = source.read(buffer.data(), buffer.size())) {
        sink.write(buffer.data(), got);
    }
}

class Restore {
public:
    Restore(const RestoreOptions& options, FileSystem& fs, const RestoreObserver& observer)
        : options_(options), fs_(fs), observer_(observer), sep_(fs.separator()) {}

    RestoreTotals run(const std::vector<std::string>& roots) {
        forEachAircraftFolder(roots, fs_, [this](const std::string& folder) {
            RestoreReport report;
            report.folder = folder;
            restoreFolder(report);
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

    void leaveAlone(RestoreReport& report, std::string reason) {
        report.outcome = RestoreReport::Outcome::leftAlone;
        report.reason = std::move(reason);
        ++totals_.leftAlone;
    }

    void restored(RestoreReport& report) {
        report.outcome = RestoreReport::Outcome::restored;
        ++(report.flyable ? totals_.flyableRestored : totals_.aiRestored);
    }

    void restoreFolder(RestoreReport& report) {
        const std::string& folder = report.folder;
        auto listing = fs_.listFolder(folder);
        if (listing == nullptr) {
            return;  // removed meanwhile or not ours to enter
        }
        const FolderNames names = readFolderNames(*listing);
        listing.reset();
        report.flyable = names.hasPanel;
        if (names.hasPanel && !options_.includeFlyable) {
            return;  // a run with the same choice leaves it alone too
        }
        if (names.backups.empty()) {
            if (names.aircraft) {
                report.outcome = RestoreReport::Outcome::noBackup;
                ++totals_.withoutBackup;
            }
            return;
        }
        if (names.link) {
            // Its bytes could come from anywhere, and a kept file there could be anywhere.
            leaveAlone(report, linkReason(*names.link));
            return;
        }
        // Two spellings can only meet on a case-sensitive disk; the exact one wins, as for
        // aircraft.cfg.
        const auto exact = std::find(names.backups.begin(), names.backups.end(), kBackupFileName);
        const std::string backupPath =
            join(folder, exact != names.backups.end() ? *exact : names.backups.front());
        const std::string aircraftName = names.aircraft.value_or(kAircraftFileName);
        const std::string aircraftPath = join(folder, aircraftName);

        std::size_t editedLine = 0;
        if (names.aircraft) {
            auto backup = fs_.openRead(backupPath);
            auto current = fs_.openRead(aircraftPath);
            if (backup == nullptr || current == nullptr) {
                leaveAlone(report, (backup == nullptr ? std::string("the backup") : aircraftName) +
                                       " cannot be opened");
                return;
            }
            if (current->readOnly()) {
                // The pilot protected this file since the run, or it came so; the backup stays
                // for the day it is writable again.
                leaveAlone(report, readOnlyReason(aircraftName));
                ++totals_.readOnly;
                return;
            }
            if (sameBytes(*backup, *current)) {
                // Restored already, by a restore that was stopped before it removed the
                // backup: removing it now loses nothing.
                backup.reset();
                current.reset();
                fs_.removeFile(backupPath);
                restored(report);
                return;
            }
            // Windows opens without sharing: each file is closed before it is opened again.
            backup.reset();
            current.reset();
            backup = fs_.openRead(backupPath);
            current = fs_.openRead(aircraftPath);
            if (backup == nullptr || current == nullptr) {
                leaveAlone(report, (backup == nullptr ? std::string("the backup") : aircraftName) +
                                       " cannot be opened");
                return;
            }
            editedLine = firstEditedLine(*backup, *current);
        }
        report.edited = !names.aircraft || editedLine != 0;
        if (report.edited && !options_.force) {
            leaveAlone(report, names.aircraft
                                   ? "edited since the run: line " + std::to_string(editedLine) +
                                         " of " + aircraftName + " differs from the backup"
                                   : std::string("no aircraft.cfg beside the backup"));
            return;
        }

        StrayFiles temporary(fs_);
        bool changedSomething = false;
        if (report.edited && names.aircraft) {
            // Forced: the file the pilot may have edited is kept, complete and on the disk,
            // before anything else in the folder changes.
            const std::string keepPath = join(folder, kBeforeRestoreFileName);
            if (auto kept = fs_.openRead(keepPath)) {
                // Kept already, by a forced restore that was stopped before it finished; any
                // other bytes under that name are not ours to overwrite.
                auto current = fs_.openRead(aircraftPath);
                if (current == nullptr) {
                    leaveAlone(report, aircraftName + " cannot be opened");
                    return;
                }
                if (!sameBytes(*kept, *current)) {
                    leaveAlone(report, std::string(kBeforeRestoreFileName) +
                                           " exists already and holds other bytes");
                    return;
                }
            } else {
                // Every source is open before anything is created: a folder left alone then
                // holds nothing new, even when removing a half-made file would fail.
                auto current = fs_.openRead(aircraftPath);
                if (current == nullptr) {
                    leaveAlone(report, aircraftName + " cannot be opened");
                    return;
                }
                const std::string keepTemp = join(folder, kBeforeRestoreTempFileName);
                std::string reason;
                auto copy = fs_.createFile(keepTemp, &reason);
                if (copy == nullptr) {
                    leaveAlone(report, unwritableReason(reason));
                    return;
                }
                temporary.add(keepTemp);
                copy->copyPropertiesFrom(aircraftPath);
                copyAll(*current, *copy);
                current.reset();
                copy->close();
                copy.reset();
                fs_.renameNoReplace(keepTemp, keepPath);
                temporary.forget(keepTemp);
                changedSomething = true;
            }
            report.keptCurrent = true;
        }

        // The backup's bytes go to a file of their own, which replaces aircraft.cfg in one
        // step; the backup goes only once that has happened.
        auto backup = fs_.openRead(backupPath);
        if (backup == nullptr) {
            leaveAlone(report, "the backup cannot be opened");
            return;
        }
        const std::string newPath = join(folder, kNewAircraftFileName);
        std::string reason;
        FileErrorKind kind = FileErrorKind::other;
        auto output = fs_.createFile(newPath, &reason, &kind);
        if (output == nullptr) {
            if (changedSomething) {
                throw FileError(newPath, reason, kind);
            }
            leaveAlone(report, unwritableReason(reason));
            return;
        }
        temporary.add(newPath);
        // The backup took the first file's permissions; they come back with its bytes.
        output->copyPropertiesFrom(backupPath);
        copyAll(*backup, *output);
        backup.reset();
        output->close();
        output.reset();
        fs_.replaceFile(newPath, aircraftPath);
        temporary.forget(newPath);
        fs_.removeFile(backupPath);
        restored(report);
    }

    const RestoreOptions& options_;
    FileSystem& fs_;
    const RestoreObserver& observer_;
    const char sep_;
    RestoreTotals totals_;
};

}  // namespace

std::string restoreSummaryText(const RestoreTotals& totals) {
    std::array<char, 256> text{};
    std::snprintf(text.data(), text.size(),
                  "Restored the original files of %d AI and %d flyable aircraft.\n"
                  "Left %d aircraft alone: edited since the run, or in use.\n"
                  "Found no backup for %d aircraft.",
                  static_cast<int>(totals.aiRestored), static_cast<int>(totals.flyableRestored),
                  static_cast<int>(totals.leftAlone), static_cast<int>(totals.withoutBackup));
    return text.data() + readOnlySummaryLine(totals.readOnly);
}

RestoreTotals RestoreOriginals(const RestoreOptions& options, const std::vector<std::string>& roots,
                               FileSystem& fileSystem, const RestoreObserver& observer) {
    return Restore(options, fileSystem, observer).run(roots);
}

RestoreTotals RestoreOriginals(const RestoreOptions& options, FileSystem& fileSystem,
                               const RestoreObserver& observer) {
    PatchOptions folders;
    folders.simulatorPath = options.simulatorPath;
    folders.simObjectPaths = options.simObjectPaths;
    return RestoreOriginals(options, findAircraftRoots(folders, fileSystem).folders, fileSystem,
                            observer);
}

}  // namespace cirrowisp
