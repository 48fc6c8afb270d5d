#include "patcher/aircraft_folders.h"

#include "patcher/byte_text.h"
#include "patcher/file_system.h"

namespace cirrowisp {

StrayFiles::~StrayFiles() {
    for (const std::string& path : paths_) {
        try {
            fs_.removeFile(path);
        } catch (const FileError&) {
            // Best effort, as the class says.
        }
    }
}

bool sameName(std::string_view a, std::string_view b) {
    return equalsIgnoringAsciiCase(a, b);
}

FolderNames readFolderNames(DirectoryListing& listing) {
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
            if (entry.isLink) {
                names.link = entry.name;
            }
        } else if (entry.isLink && sameName(entry.name, kBeforeRestoreFileName)) {
            names.link = entry.name;
        } else if (entry.name == kNewAircraftFileName || entry.name == kBackupTempFileName) {
            names.halfMade = true;
        }
    }
    return names;
}

std::string linkReason(std::string_view name) {
    return std::string(name) + " is a link, not a file of this program's";
}

std::string readOnlyReason(std::string_view name) {
    return std::string(name) + " is read-only";
}

std::string readOnlySummaryLine(std::int32_t count) {
    if (count <= 0) {
        return {};
    }
    return "\nLeft " + std::to_string(count) + " read-only aircraft.cfg " +
           (count == 1 ? "file" : "files") + " alone.";
}

std::string unwritableReason(const std::string& systemReason) {
    return "nothing can be created in the folder: " + systemReason;
}

std::string joinPath(const std::string& folder, std::string_view name, char separator) {
    std::string path = folder;
    if (path.empty() || path.back() != separator) {
        path += separator;
    }
    path += name;
    return path;
}

void forEachAircraftFolder(const std::vector<std::string>& roots, FileSystem& fileSystem,
                           const std::function<void(const std::string& folder)>& visit) {
    const char separator = fileSystem.separator();
    for (const std::string& root : roots) {
        auto listing = fileSystem.listFolder(root);
        if (listing == nullptr) {
            continue;  // gone since the roots were found
        }
        // Folders are visited while the root is listed, so nothing here grows with the number
        // of folders; the files the listing may or may not show once a visit has added or
        // removed some are skipped anyway.
        DirEntry entry;
        while (listing->next(entry)) {
            // "*." finds names without an extension, and "." and ".." like any other folder.
            const bool noExtension = entry.name.find('.') == std::string::npos;
            if (entry.isFolder && (noExtension || entry.name == "." || entry.name == "..")) {
                visit(joinPath(root, entry.name, separator));
            }
        }
    }
}

}  // namespace cirrowisp
