#include "patcher/aircraft_update.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "patcher/aircraft_folders.h"
#include "patcher/file_system.h"
#include "patcher/publish_batch.h"
#include "patcher/text_encoding.h"

namespace cirrowisp {

namespace {

// The files of one folder's update. The old bytes (the backup to be) and the new bytes are held
// in memory until the rewrite ends, or until either grows past the spool limit; only then are
// new_aircraft.cfg and, when no backup exists yet, the backup's temporary file created.
class Publication {
public:
    Publication(FileSystem& fs, const AircraftPaths& paths, SpoolBuffer& oldBytes,
                SpoolBuffer& newBytes)
        : fs_(fs), paths_(paths), oldBytes_(oldBytes), newBytes_(newBytes), strays_(fs) {
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
        if (output_) {
            write(*output_, data, size);
        }
    }

    bool unchanged() const { return matching_ && matched_ == oldBytes_.size(); }

    // Writes what is still held, starts both files on their way to the disk and hands them to
    // the batch, which flushes and renames them. False when the folder takes no new file: it is
    // then left alone, and nothing of it is written.
    bool hand(PublishBatch& batch) {
        keepMatchedBytes();
        if (!streaming_) {
            if (!openFiles()) {
                return false;
            }
            write(*output_, newBytes_.data(), newBytes_.size());
            if (backup_) {
                write(*backup_, oldBytes_.data(), oldBytes_.size());
            }
        }
        if (output_ == nullptr) {
            return false;  // refused when the file grew too large to hold
        }
        output_->startWriteBack();
        backupMade_ = backup_ != nullptr;
        if (backup_) {
            backup_->startWriteBack();
        }
        batch.add(PendingFolder{paths_.aircraft, paths_.fresh, paths_.backup,
                                backupMade_ ? paths_.backupTemp : std::string(), std::move(output_),
                                std::move(backup_), written_});
        strays_.forgetAll();
        return true;
    }

    bool backupMade() const { return backupMade_; }
    const std::string& refusal() const { return refusal_; }
    FileErrorKind refusalKind() const { return refusalKind_; }
    bool backupIsLink() const { return backupIsLink_; }

private:
    // False when new_aircraft.cfg cannot be created (a read-only folder), or when the backup
    // is a link: nothing is created then.
    bool openFiles() {
        // Opening a link would follow it: a stranger's file would pass for our backup and
        // aircraft.cfg be replaced with no copy of its old bytes.
        if (paths_.askBackupIsLink && fs_.isLinkAnyCase(paths_.backup)) {
            backupIsLink_ = true;
            return false;
        }
        output_ = fs_.createFile(paths_.fresh, &refusal_, &refusalKind_);
        if (output_ == nullptr) {
            return false;
        }
        strays_.add(paths_.fresh);
        output_->copyPropertiesFrom(paths_.aircraft);
        // A backup that exists but cannot be opened counts as absent; the rename onto its name
        // then fails and ends the run, rather than the old file being lost.
        for (const std::string& path : paths_.existingBackups) {
            if (fs_.openRead(path) != nullptr) {
                return true;
            }
        }
        std::string reason;
        FileErrorKind kind = FileErrorKind::other;
        backup_ = fs_.createFile(paths_.backupTemp, &reason, &kind);
        if (backup_ == nullptr) {
            throw FileError(paths_.backupTemp, reason, kind);
        }
        strays_.add(paths_.backupTemp);
        backup_->copyPropertiesFrom(paths_.aircraft);
        return true;
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

    // A folder that takes no new file streams into nothing: the pass reads on to the end of
    // the file, and hand() then leaves the folder alone.
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
    bool streaming_ = false;
    bool matching_ = true;  // the new bytes so far equal the old bytes [0, matched_)
    std::size_t matched_ = 0;
    std::size_t written_ = 0;  // to both files together
    bool backupMade_ = false;
    std::string refusal_;
    FileErrorKind refusalKind_ = FileErrorKind::other;
    bool backupIsLink_ = false;
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

// Reads `input` into `bytes` to its end, or until it holds more than `limit`; returns whether it
// reached the end.
bool readWhole(ByteSource& input, SpoolBuffer& bytes, std::size_t limit = kSpoolLimit) {
    while (bytes.size() <= limit) {
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

AircraftUpdate AircraftUpdater::update(const AircraftPaths& paths,
                                       std::unique_ptr<InputFile> input) {
    AircraftUpdate update;
    Publication publication(fs_, paths, oldBytes_, newBytes_);
    PublishingSink sink(publication);
    bool whole = readWhole(*input, oldBytes_);
    const TextEncoding encoding = textEncodingOf(oldBytes_.view());
    if (!whole && isUtf16(encoding)) {
        // UTF-16 is converted whole or not at all, whatever its size.
        whole = readWhole(*input, oldBytes_, SIZE_MAX);
    }
    if (whole) {
        // Windows opens without sharing: our own handle would block the rename over the file.
        // The pass then works on the bytes in memory, passing most of them on as they are,
        // where they are.
        input.reset();
        const FileRewrite rewrite = rewriteFile(options_, oldBytes_.view(), sink);
        if (!rewrite.unreadable.empty()) {
            AircraftUpdate alone;
            alone.leftAlone = std::string(kAircraftFileName) + " is marked as UTF-16 but holds " +
                              rewrite.unreadable + ", which a rewrite would change";
            return alone;
        }
        update.result = rewrite.result;
    } else {
        // Too large to hold: rewritten as it is read, from its first bytes on, past a UTF-8
        // mark that the pass must not take for a part of the first line.
        const std::string_view mark = byteOrderMark(encoding);
        const std::string head(oldBytes_.view().substr(mark.size()));
        oldBytes_.clear();
        publication.takeOld(mark.data(), mark.size());
        sink.write(mark.data(), mark.size());
        HeadThenRest rest(head, *input);
        PublishingSource source(rest, publication);
        update.result = CfgRewritePass(options_, source, sink);
        source.drain();
        input.reset();
    }
    if (publication.unchanged()) {
        // Nothing to write: counted as a treated folder wherever a run could have written it,
        // as before, and otherwise left alone like any folder that takes no new file.
        update.treated = fs_.canCreateIn(paths.folder);
        return update;
    }
    if (!publication.hand(batch_)) {
        AircraftUpdate untouched;
        untouched.refusal = publication.refusal();
        untouched.refusalKind = publication.refusalKind();
        untouched.backupIsLink = publication.backupIsLink();
        return untouched;
    }
    update.treated = true;
    update.pending = true;
    update.backupMade = publication.backupMade();
    return update;
}

}  // namespace cirrowisp
