#include "patcher/aircraft_scan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "patcher/aircraft_roots.h"
#include "patcher/cfg_rewrite.h"
#include "platform/file_system.h"

namespace cirrowisp {

namespace {

// A hash over a byte stream, so a report can tell whether a rewrite changed anything without
// keeping either file in memory. It takes 32 bytes per step in four independent lanes (the
// byte-wise FNV-1a it replaces cost more than the rewrite itself), and the result does not
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
        std::memcpy(tail_.data(), data, count);
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

// Hands the old file to the rewrite and, when a backup is due, copies every byte it reads into
// the backup on the way: the file is read once, and the backup is a copy of its own rather than
// the old file renamed, so it never shares storage with aircraft.cfg.
class CopyingSource : public ByteSource {
public:
    CopyingSource(ByteSource& source, ByteSink* copy, bool fingerprinting)
        : source_(source), copy_(copy), fingerprinting_(fingerprinting) {}

    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t got = source_.read(buffer, size);
        if (copy_ != nullptr && got > 0) {
            copy_->write(buffer, got);
        }
        if (fingerprinting_) {
            fingerprint_.add(buffer, got);
        }
        return got;
    }

    // The rewrite stops at a Ctrl-Z byte; the backup must hold the whole file all the same.
    void drain() {
        std::array<char, 4096> buffer;  // nearly always empty-handed: the input is at its end
        while (read(buffer.data(), buffer.size()) > 0) {
        }
    }

    const Fingerprint& fingerprint() const { return fingerprint_; }

private:
    ByteSource& source_;
    ByteSink* copy_;
    bool fingerprinting_;
    Fingerprint fingerprint_;
};

class FingerprintSink : public ByteSink {
public:
    FingerprintSink(ByteSink& sink, bool fingerprinting)
        : sink_(sink), fingerprinting_(fingerprinting) {}
    void write(const char* data, std::size_t size) override {
        sink_.write(data, size);
        if (fingerprinting_) {
            fingerprint_.add(data, size);
        }
    }
    const Fingerprint& fingerprint() const { return fingerprint_; }

private:
    ByteSink& sink_;
    bool fingerprinting_;
    Fingerprint fingerprint_;
};

// Removes the files a failed folder created, so a failure leaves nothing behind but what was
// there before. Declared before the files it guards, so they are closed before it runs.
class StrayFiles {
public:
    explicit StrayFiles(FileSystem& fs) : fs_(fs) {}
    ~StrayFiles() {
        for (const std::string& path : paths_) {
            try {
                fs_.removeFile(path);
            } catch (const FileError&) {
                // Best effort: the error that ended the run is the one to report.
            }
        }
    }
    StrayFiles(const StrayFiles&) = delete;
    StrayFiles& operator=(const StrayFiles&) = delete;

    void add(const std::string& path) { paths_.push_back(path); }
    void forget(const std::string& path) { std::erase(paths_, path); }
    void forgetAll() { paths_.clear(); }

private:
    FileSystem& fs_;
    std::vector<std::string> paths_;
};

class Scan {
public:
    Scan(const PatchOptions& options, FileSystem& fs, const FolderObserver& observer)
        : options_(options), fs_(fs), observer_(observer), sep_(fs.separator()) {}

    ScanTotals run(const std::vector<std::string>& roots) {
        forEachAircraftFolder(roots, fs_, [this](const std::string& folder) {
            FolderReport report;
            report.folder = folder;
            treatFolder(report);
            if (observer_) {
                observer_(report);
            }
        });
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

    void treatFolder(FolderReport& report) {
        const std::string& folder = report.folder;
        auto listing = fs_.listFolder(folder);
        if (listing == nullptr) {
            return;  // removed meanwhile or not ours to enter
        }
        const FolderNames names = readFolderNames(*listing);
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

        StrayFiles strays(fs_);
        const std::string newPath = join(folder, kNewAircraftFileName);
        auto output = fs_.createFile(newPath);
        if (output == nullptr) {
            return;  // a read-only folder: left exactly as it was, not counted
        }
        strays.add(newPath);
        report.treated = true;
        if (names.hasPanel) {
            ++totals_.flyableAircraft;
        } else {
            ++totals_.aiAircraft;
        }

        // A backup that exists but cannot be opened counts as absent; the rename onto its name
        // below then fails and ends the run, rather than the old file being lost.
        bool backupExists = false;
        for (const std::string& name : names.backups) {
            if (fs_.openRead(join(folder, name)) != nullptr) {
                backupExists = true;
                break;
            }
        }
        const std::string backupPath =
            join(folder, names.backups.empty() ? std::string(kBackupFileName) : names.backups[0]);
        const std::string tempPath = join(folder, kBackupTempFileName);
        std::unique_ptr<OutputFile> backup;
        if (!backupExists) {
            std::string reason;
            backup = fs_.createFile(tempPath, &reason);
            if (backup == nullptr) {
                throw FileError(tempPath, reason);
            }
            strays.add(tempPath);
        }

        // Only a report reader cares whether the bytes changed; without one, hashing every byte
        // would be the costliest thing the run does after the disk.
        const bool fingerprinting = static_cast<bool>(observer_);
        CopyingSource source(*input, backup.get(), fingerprinting);
        FingerprintSink sink(*output, fingerprinting);
        const RewriteResult result = CfgRewritePass(options_, source, sink);
        source.drain();
        output->close();
        if (backup) {
            backup->close();
        }
        // Windows opens without sharing: our own handle would block the rename over the file.
        input.reset();

        // The backup goes into place before aircraft.cfg changes, so the old bytes are on the
        // disk under one name or the other at every instant.
        if (backup) {
            fs_.renameNoReplace(tempPath, backupPath);
            strays.forget(tempPath);
            report.backupMade = true;
        }
        fs_.replaceFile(newPath, aircraftPath);
        strays.forgetAll();

        totals_.contrailsAdded += result.contrailsAdded;
        totals_.temperaturesChanged += result.temperaturesChanged;
        report.contrailsAdded = result.contrailsAdded;
        report.temperaturesChanged = result.temperaturesChanged;
        report.bytesChanged = !(source.fingerprint() == sink.fingerprint());
    }

    const PatchOptions& options_;
    FileSystem& fs_;
    const FolderObserver& observer_;
    const char sep_;
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
