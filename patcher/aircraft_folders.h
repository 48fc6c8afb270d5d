#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cirrowisp {

class DirectoryListing;
class FileSystem;

// Fixed names inside an aircraft folder.
inline constexpr const char* kAircraftFileName = "aircraft.cfg";
inline constexpr const char* kNewAircraftFileName = "new_aircraft.cfg";
inline constexpr const char* kBackupFileName = "without_contrails_aircraft.cfg";
// The backup is written under this name first and renamed into place only when complete.
inline constexpr const char* kBackupTempFileName = "without_contrails_aircraft.tmp";
// Where a forced restore keeps the aircraft.cfg it replaces, and the name that copy is written
// under until it is complete.
inline constexpr const char* kBeforeRestoreFileName = "aircraft_before_restore.cfg";
inline constexpr const char* kBeforeRestoreTempFileName = "aircraft_before_restore.tmp";

// Removes the files a folder's treatment created when it is given up (a failure, a folder left
// alone), so the folder keeps nothing but what was there before. Declared before the files it
// guards, so they are closed before it removes them (Windows cannot remove an open file).
// Removal is best effort: the error that ended the folder is the one to report, and the next
// run or restore overwrites what is left.
class StrayFiles {
public:
    explicit StrayFiles(FileSystem& fs) : fs_(fs) {}
    ~StrayFiles();
    StrayFiles(const StrayFiles&) = delete;
    StrayFiles& operator=(const StrayFiles&) = delete;

    void add(const std::string& path) { paths_.push_back(path); }
    void forget(const std::string& path) { std::erase(paths_, path); }
    void forgetAll() { paths_.clear(); }

private:
    FileSystem& fs_;
    std::vector<std::string> paths_;
};

// The simulator's own file system ignores case; a tree copied to Linux keeps whatever case its
// author typed, so "Aircraft.cfg" and "PANEL" must still be found. The names we look for are
// ASCII, and every byte of a non-ASCII character in a UTF-8 name (as on Windows and Linux) is
// above 0x7F, so plain ASCII folding is exact.
bool sameName(std::string_view a, std::string_view b);

// The names in one aircraft folder that a run (and a restore) cares about, with their
// spelling on disk.
struct FolderNames {
    std::optional<std::string> aircraft;
    std::vector<std::string> backups;
    bool hasPanel = false;
    bool halfMade = false;  // new_aircraft.cfg or the backup's temporary file is there
    // A backup or a kept file that is a link, as named on disk. It was not made by us: trusting
    // it would lose the pilot's bytes to a file anywhere, so the folder is left alone.
    std::optional<std::string> link;
    // The names were asked for one by one, not listed: whether the backup is a link is still
    // to be asked (see AircraftPaths::askBackupIsLink).
    bool backupUnlisted = false;
};

FolderNames readFolderNames(DirectoryListing& listing);

// Why a folder with that link (see FolderNames::link) is left alone, in the words of a report.
std::string linkReason(std::string_view name);

// Why a folder whose aircraft.cfg (named `name` on disk) is read-only is left alone: the pilot
// or an installation disc protected that file, and replacing it would undo that.
std::string readOnlyReason(std::string_view name);

// The summary line a run and a restore end with when they left read-only files alone ("\nLeft
// N read-only aircraft.cfg files alone."); empty for none, so a tree without any reads as before.
std::string readOnlySummaryLine(std::int32_t count);

// Why a folder that takes no new file is left alone, with the system's reason.
std::string unwritableReason(const std::string& systemReason);

// `folder` and `name` joined with the host's separator.
std::string joinPath(const std::string& folder, std::string_view name, char separator);

// The walk of a run: every aircraft folder directly inside `roots` (see findAircraftRoots), in
// the order a run treats them. A run and a restore both go through here, so given the same
// roots they always visit the same folders. `visit` gets the folder's full path and may add
// and remove files inside it (or inside the root itself, for "."): a root is listed while its
// folders are visited, and a listing still delivers every folder that stays in place exactly
// once.
void forEachAircraftFolder(const std::vector<std::string>& roots, FileSystem& fileSystem,
                           const std::function<void(const std::string& folder)>& visit);

}  // namespace cirrowisp
