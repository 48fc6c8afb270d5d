#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "patcher/file_system.h"

namespace cirrowisp {

// How far a run lets its new files run ahead of their renames: the folders of one batch, at
// most this many, or fewer once this many bytes are written and not yet flushed. It bounds what
// a kill throws away, the files a kill can leave half-made (in this many folders at most), and
// the open files (two per folder at most).
struct BatchBound {
    std::size_t folders;
    std::size_t bytes;
};
inline constexpr BatchBound kPublishBatch{64, std::size_t{16} << 20};

// One folder whose new files are written and wait for their flush and renames.
struct PendingFolder {
    std::string aircraft;    // aircraft.cfg, which `fresh` replaces
    std::string fresh;       // new_aircraft.cfg
    std::string backup;      // where `backupTemp` goes
    std::string backupTemp;  // the backup's bytes, when the folder has no backup yet
    std::unique_ptr<OutputFile> freshFile;
    std::unique_ptr<OutputFile> backupFile;  // nullptr: the folder keeps the backup it has
    std::size_t bytes = 0;                   // written to both files together
};

// The folders of a run whose new files are written but not yet in place. Publishing gets all
// their files on the disk before it renames any, so that one journal commit of the file system
// can serve the whole batch instead of one per file. Whatever is pending when the batch is
// given up or destroyed is removed, so no half-made file outlives a failure.
class PublishBatch {
public:
    explicit PublishBatch(FileSystem& fs) : fs_(fs) {}
    ~PublishBatch() { discard(); }
    PublishBatch(const PublishBatch&) = delete;
    PublishBatch& operator=(const PublishBatch&) = delete;

    // Takes a folder whose files are complete and handed their write-back hint.
    void add(PendingFolder folder);
    bool empty() const { return folders_.empty(); }
    std::size_t bytes() const { return bytes_; }

    // Flushes every file, then, folder by folder in the order they came, renames the backup
    // into place and new_aircraft.cfg over aircraft.cfg. On a failure the folders before the
    // failed one are put in place all the same, the files of the others are removed, and the
    // FileError is thrown; published() then tells how many folders are in place.
    void publish();
    std::size_t published() const { return published_; }

    // Removes the files of every pending folder. Best effort, as a folder's own clean-up is:
    // the error that ended the run is the one to report, and the next run overwrites the rest.
    void discard();

private:
    FileSystem& fs_;
    std::vector<PendingFolder> folders_;
    std::size_t bytes_ = 0;
    std::size_t published_ = 0;
};

}  // namespace cirrowisp
