#include "patcher/aircraft_update.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "patcher/aircraft_folders.h"
#include "patcher/file_system.h"
#include "patcher/publish_batch.h"

namespace cirrowisp {

namespace {

// Old and new bytes are held in memory up to this size each, so a file whose rewrite changes
// nothing is found out before anything is created. Real aircraft.cfg files stay far below it;
// a larger file goes out as it is rewritten, and is replaced even when it comes out the same.
constexpr std::size_t kSpoolLimit = std::size_t{1} << 20;

// A hash over a byte stream, so a report can tell whether a rewrite too large to hold changed
// anything. It takes 32 bytes per step in four independent lanes, and the result does not
// depend on how the stream is cut into chunks. Every step is a bijection of a lane, so two
// streams of one length that differ in a single word always differ in the result.
class Fingerprint {
public:
    void add(const char* data, std::size_t count) {
        size_ += count;
        if (tailCount_ != 0) {
            const std::size_t take = std::min(count, kBlock - tailCount_);
            std::memcpy(tail_.data() + tailCount_, data, take);
            tailCount_ += take;
            data += take;
            count -= take;
            if (tailCount_ < kBlock) {
                return;
            }
            mixBlock(tail_.data());
            tailCount_ = 0;
        }
        for (; count >= kBlock; data += kBlock, count -= kBlock) {
            mixBlock(data);
        }
        if (count > 0) {
            std::memcpy(tail_.data(), data, count);
        }
        tailCount_ = count;
    }

    bool operator==(const Fingerprint& other) const {
        return lanes_ == other.lanes_ && size_ == other.size_ && tailCount_ == other.tailCount_ &&
               std::memcmp(tail_.data(), other.tail_.data(), tailCount_) == 0;
    }

private:
    static constexpr std::size_t kBlock = 32;

    void mixBlock(const char* block) {
        for (std::size_t lane = 0; lane < lanes_.size(); ++lane) {
            std::uint64_t word = 0;
            std::memcpy(&word, block + 8 * lane, sizeof word);
            const std::uint64_t h = (lanes_[lane] ^ word) * 0xFF51AFD7ED558CCDull;
            lanes_[lane] = (h << 31) | (h >> 33);
        }
    }

    std::array<std::uint64_t, 4> lanes_{0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full,
                                        0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull};
    std::uint64_t size_ = 0;
    std::array<char, kBlock> tail_{};
    std::size_t tailCount_ = 0;
};

// new_aircraft.cfg cannot be created: the folder is left alone and not counted.
struct NoNewFile {};

// The files of one folder's update. The old bytes (the backup to be) and the new bytes are held
// in memory until the rewrite ends, or until either grows past the spool limit; only then are
// new_aircraft.cfg and, when no backup exists yet, the backup's temporary file created.
class Publication {
public:
    Publication(FileSystem& fs, const AircraftPaths& paths, SpoolBuffer& oldBytes,
                SpoolBuffer& newBytes, bool fingerprinting)
        : fs_(fs),
          paths_(paths),
          oldBytes_(oldBytes),
          newBytes_(newBytes),
          fingerprinting_(fingerprinting),
          strays_(fs) {
        oldBytes_.clear();
        newBytes_.clear();
    }

    void takeOld(const char* data, std::size_t size) {
        if (!streaming_) {
            oldBytes_.append(data, size);
            if (oldBytes_.size() > kSpoolLimit) {
                startStreaming();
            }
            return;
        }
        if (backup_) {
            write(*backup_, data, size);
        }
        if (fingerprinting_) {
            oldPrint_.add(data, size);
        }
    }

    void takeNew(const char* data, std::size_t size) {
        if (matching_) {
            // While the new bytes repeat the old ones they are only compared, not kept: that is
            // every byte of a file that stays the same. Lines the pass hands on from the old
            // bytes in memory are those bytes themselves, at their own place.
            if (size <= oldBytes_.size() - matched_ &&
                (size == 0 || data == oldBytes_.data() + matched_ ||
                 std::memcmp(oldBytes_.data() + matched_, data, size) == 0)) {
                matched_ += size;
                return;
            }
            keepMatchedBytes();
        }
        if (!streaming_) {
            newBytes_.append(data, size);
            if (newBytes_.size() > kSpoolLimit) {
                startStreaming();
            }
            return;
        }
        write(*output_, data, size);
        if (fingerprinting_) {
            newPrint_.add(data, size);
        }
    }

    bool unchanged() const { return matching_ && matched_ == oldBytes_.size(); }

    // Writes what is still held, starts both files on their way to the disk and hands them to
    // the batch, which flushes and renames them. Returns whether a backup is to be made.
    bool hand(PublishBatch& batch) {
        keepMatchedBytes();
        if (!streaming_) {
            openFiles();
            write(*output_, newBytes_.data(), newBytes_.size());
            if (backup_) {
                write(*backup_, oldBytes_.data(), oldBytes_.size());
            }
        }
        output_->startWriteBack();
        const bool backupMade = backup_ != nullptr;
        if (backup_) {
            backup_->startWriteBack();
        }
        batch.add(PendingFolder{paths_.aircraft, paths_.fresh, paths_.backup,
                                backupMade ? paths_.backupTemp : std::string(), std::move(output_),
                                std::move(backup_), written_});
        strays_.forgetAll();
        return backupMade;
    }

    bool bytesChanged() const { return streaming_ ? !(oldPrint_ == newPrint_) : !unchanged(); }

private:
    void openFiles() {
        output_ = fs_.createFile(paths_.fresh);
        if (output_ == nullptr) {
            throw NoNewFile{};
        }
        strays_.add(paths_.fresh);
        // A backup that exists but cannot be opened counts as absent; the rename onto its name
        // then fails and ends the run, rather than the old file being lost.
        for (const std::string& path : paths_.existingBackups) {
            if (fs_.openRead(path) != nullptr) {
                return;
            }
        }
        std::string reason;
        backup_ = fs_.createFile(paths_.backupTemp, &reason);
        if (backup_ == nullptr) {
            throw FileError(paths_.backupTemp, reason);
        }
        strays_.add(paths_.backupTemp);
    }

    void write(OutputFile& file, const char* data, std::size_t size) {
        file.write(data, size);
        written_ += size;
    }

    // The new bytes so far are the first matched_ old ones; from here on they are kept.
    void keepMatchedBytes() {
        if (matching_) {
            matching_ = false;
            newBytes_.clear();
            newBytes_.append(oldBytes_.data(), matched_);
        }
    }

    void startStreaming() {
        keepMatchedBytes();
        openFiles();
        streaming_ = true;
        takeOld(oldBytes_.data(), oldBytes_.size());
        takeNew(newBytes_.data(), newBytes_.size());
        oldBytes_.clear();
        newBytes_.clear();
    }

    FileSystem& fs_;
    const AircraftPaths& paths_;
    SpoolBuffer& oldBytes_;
    SpoolBuffer& newBytes_;
    bool fingerprinting_;
    bool streaming_ = false;
    bool matching_ = true;  // the new bytes so far equal the old bytes [0, matched_)
    std::size_t matched_ = 0;
    std::size_t written_ = 0;  // to both files together
    Fingerprint oldPrint_;
    Fingerprint newPrint_;
    StrayFiles strays_;  // before the files, so they are closed before it removes them
    std::unique_ptr<OutputFile> output_;
    std::unique_ptr<OutputFile> backup_;
};

// Hands the old file to the rewrite and every byte it reads to the publication.
class PublishingSource : public ByteSource {
public:
    PublishingSource(ByteSource& source, Publication& publication)
        : source_(source), publication_(publication) {}

    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t got = source_.read(buffer, size);
        if (got > 0) {
            publication_.takeOld(buffer, got);
        }
        atEnd_ = got == 0;
        return got;
    }

    // The rewrite stops at a Ctrl-Z byte; the backup must hold the whole file all the same.
    void drain() {
        std::array<char, 4096> buffer;
        while (!atEnd_ && read(buffer.data(), buffer.size()) > 0) {
        }
    }

private:
    bool atEnd_ = false;  // the last read found the end: nearly always so when the rewrite ends
    ByteSource& source_;
    Publication& publication_;
};

class PublishingSink : public ByteSink {
public:
    explicit PublishingSink(Publication& publication) : publication_(publication) {}
    void write(const char* data, std::size_t size) override { publication_.takeNew(data, size); }

private:
    Publication& publication_;
};

// The first bytes of a file, already read, then the rest of it.
class HeadThenRest : public ByteSource {
public:
    HeadThenRest(std::string_view head, ByteSource& rest) : head_(head), rest_(rest) {}

    std::size_t read(char* buffer, std::size_t size) override {
        if (head_.empty()) {
            return rest_.read(buffer, size);
        }
        const std::size_t count = std::min(size, head_.size());
        std::memcpy(buffer, head_.data(), count);
        head_.remove_prefix(count);
        return count;
    }

private:
    std::string_view head_;
    ByteSource& rest_;
};

constexpr std::size_t kReadChunk = 64 * 1024;

// Reads `input` into `bytes` to its end, or until it holds more than the spool limit; returns
// whether it reached the end.
bool readWhole(ByteSource& input, SpoolBuffer& bytes) {
    while (bytes.size() <= kSpoolLimit) {
        const std::size_t got = input.read(bytes.room(kReadChunk), kReadChunk);
        if (got == 0) {
            return true;
        }
        bytes.grow(got);
    }
    return false;
}

}  // namespace

void SpoolBuffer::append(const char* bytes, std::size_t count) {
    if (count > 0) {
        std::memcpy(room(count), bytes, count);
        size_ += count;
    }
}

char* SpoolBuffer::room(std::size_t count) {
    if (capacity_ - size_ < count) {
        const std::size_t capacity = std::max(2 * capacity_, size_ + count);
        std::unique_ptr<char[], Release> larger(
            static_cast<char*>(::operator new[](capacity, kAlignment)));
        if (size_ > 0) {
            std::memcpy(larger.get(), data_.get(), size_);
        }
        data_ = std::move(larger);
        capacity_ = capacity;
    }
    return data_.get() + size_;
}

AircraftUpdate AircraftUpdater::update(const AircraftPaths& paths, std::unique_ptr<InputFile> input,
                                       bool fingerprinting) {
    AircraftUpdate update;
    Publication publication(fs_, paths, oldBytes_, newBytes_, fingerprinting);
    try {
        PublishingSink sink(publication);
        if (readWhole(*input, oldBytes_)) {
            // Windows opens without sharing: our own handle would block the rename over the
            // file. The pass then works on the bytes in memory, passing most of them on as
            // they are, where they are.
            input.reset();
            update.result = CfgRewritePass(options_, oldBytes_.view(), sink);
        } else {
            // Too large to hold: rewritten as it is read, from its first bytes on.
            const std::string head(oldBytes_.view());
            oldBytes_.clear();
            HeadThenRest whole(head, *input);
            PublishingSource source(whole, publication);
            update.result = CfgRewritePass(options_, source, sink);
            source.drain();
            input.reset();
        }
        if (publication.unchanged()) {
            // Nothing to write: counted as a treated folder wherever a run could have written
            // it, as before, and otherwise left alone like any folder that takes no new file.
            update.treated = fs_.canCreateIn(paths.folder);
            return update;
        }
        update.bytesChanged = publication.bytesChanged();
        update.backupMade = publication.hand(batch_);
    } catch (const NoNewFile&) {
        return AircraftUpdate{};
    }
    update.treated = true;
    update.pending = true;
    return update;
}

}  // namespace cirrowisp
