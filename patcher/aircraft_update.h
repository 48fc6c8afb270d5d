#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "patcher/cfg_rewrite.h"
#include "patcher/file_error.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

class FileSystem;
class InputFile;
class PublishBatch;

// The names one update works with, all full paths inside one aircraft folder.
struct AircraftPaths {
    std::string folder;
    std::string aircraft;                      // the aircraft.cfg being rewritten
    std::string fresh;                         // new_aircraft.cfg
    std::string backup;                        // where a new backup goes
    std::string backupTemp;                    // the backup is written here first
    std::vector<std::string> existingBackups;  // backup names already in the folder
    // The backup's name was not listed but will be asked about: whether it is a link is asked
    // only once the folder is to be written, the one time a backup must be ours.
    bool askBackupIsLink = false;
};

// Old and new bytes are held in memory up to this size each, so a file whose rewrite changes
// nothing is found out before anything is created. Real aircraft.cfg files stay far below it;
// a larger file goes out as it is rewritten, and is replaced even when it comes out the same.
inline constexpr std::size_t kSpoolLimit = std::size_t{1} << 20;

// What one update did.
struct AircraftUpdate {
    bool treated = false;  // false: the folder takes no new file (read-only) and was left alone
    // Why the file was left alone for the pilot to hear of: its bytes do not read back exactly
    // in its encoding. Empty otherwise.
    std::string leftAlone;
    RewriteResult result;
    bool backupMade = false;  // once the batch is published
    // A new aircraft.cfg waits in the batch for its flush and rename: the rewrite differs from
    // the file, or the file was too large to compare.
    bool pending = false;
    // Why new_aircraft.cfg could not be created, when that left the folder alone.
    std::string refusal;
    FileErrorKind refusalKind = FileErrorKind::other;
    // The folder was to be written, but its backup is a link (see AircraftPaths): left alone.
    bool backupIsLink = false;
};

// Bytes held in memory, reused from one file to the next. Unlike a string it never clears the
// room it grows into, and it starts on a cache line, so reading a file straight into it costs
// the read alone: the kernel's copy into a buffer that does not costs a run a twentieth more.
class SpoolBuffer {
public:
    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_.get(), size_}; }
    void clear() { size_ = 0; }
    void append(const char* bytes, std::size_t count);
    // Room for `count` more bytes at the end, to be filled and then kept with grow().
    char* room(std::size_t count);
    void grow(std::size_t count) { size_ += count; }

private:
    static constexpr std::align_val_t kAlignment{64};
    struct Release {
        void operator()(char* bytes) const { ::operator delete[](bytes, kAlignment); }
    };
    std::unique_ptr<char[], Release> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Rewrites one aircraft.cfg and writes the result, with the first backup, for the batch to
// put in place. A file whose rewrite equals its bytes is left exactly as it is: no new file, no
// backup, no rename. Holds the buffers it reuses from one folder to the next, so one updater
// serves a whole run.
class AircraftUpdater {
public:
    AircraftUpdater(const PatchOptions& options, FileSystem& fs, PublishBatch& batch)
        : options_(options), fs_(fs), batch_(batch) {}

    // Consumes `input` (aircraft.cfg, open for reading) and closes it before the batch can
    // rename anything. Throws FileError when a file operation fails; the folder then keeps its
    // aircraft.cfg unchanged and no half-made file, and the batch holds nothing of it.
    AircraftUpdate update(const AircraftPaths& paths, std::unique_ptr<InputFile> input);

private:
    const PatchOptions& options_;
    FileSystem& fs_;
    PublishBatch& batch_;
    SpoolBuffer oldBytes_;
    SpoolBuffer newBytes_;
};

}  // namespace cirrowisp
