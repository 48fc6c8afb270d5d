#include "patcher/publish_batch.h"

#include <optional>

#include "patcher/file_error.h"

namespace cirrowisp {

void PublishBatch::add(PendingFolder folder) {
    bytes_ += folder.bytes;
    folders_.push_back(std::move(folder));
}

void PublishBatch::publish() {
    published_ = 0;
    // Every file reaches the disk before any rename: a rename must never put in place a name
    // whose bytes a power cut could still lose.
    std::optional<FileError> flushError;
    std::size_t flushed = 0;
    for (PendingFolder& folder : folders_) {
        folder.freshFile->startFlush();
        if (folder.backupFile) {
            folder.backupFile->startFlush();
        }
    }
    try {
        for (PendingFolder& folder : folders_) {
            folder.freshFile->close();
            if (folder.backupFile) {
                folder.backupFile->close();
            }
            ++flushed;
        }
    } catch (const FileError& error) {
        flushError = error;
    }
    try {
        for (; published_ < flushed; ++published_) {
            PendingFolder& folder = folders_[published_];
            // The backup first, so the old bytes are on the disk under one name or the other
            // at every instant.
            if (folder.backupFile) {
                fs_.renameNoReplace(folder.backupTemp, folder.backup);
                folder.backupTemp.clear();
            }
            fs_.replaceFile(folder.fresh, folder.aircraft);
            folder.fresh.clear();
        }
    } catch (const FileError&) {
        discard();
        throw;
    }
    discard();
    if (flushError) {
        throw *flushError;
    }
}

void PublishBatch::discard() {
    // Closed before they are removed: Windows cannot remove an open file.
    for (PendingFolder& folder : folders_) {
        folder.freshFile.reset();
        folder.backupFile.reset();
    }
    for (PendingFolder& folder : folders_) {
        for (const std::string* path : {&folder.fresh, &folder.backupTemp}) {
            if (path->empty()) {
                continue;
            }
            try {
                fs_.removeFile(*path);
            } catch (const FileError&) {
                // Best effort, as the class says.
            }
        }
    }
    folders_.clear();
    bytes_ = 0;
}

}  // namespace cirrowisp
