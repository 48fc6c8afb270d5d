#include "platform/linux_open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <future>
#include <system_error>

#include "platform/flush_workers.h"

namespace cirrowisp {

std::string linuxReason(int error) {
    return std::system_category().message(error);
}

FileErrorKind linuxErrorKind(int error) {
    return error == EACCES || error == EPERM ? FileErrorKind::accessDenied : FileErrorKind::other;
}

[[noreturn]] void throwLinuxError(const std::string& path, int error) {
    throw FileError(path, linuxReason(error), linuxErrorKind(error));
}

namespace {

// A folder's entries straight from getdents64 into a buffer of its own: a DIR would fstat the
// folder once more, where listFolder() has taken its statx already.
class LinuxListing : public DirectoryListing {
public:
    explicit LinuxListing(int fd) : fd_(fd) {}
    ~LinuxListing() override { ::close(fd_); }
    LinuxListing(const LinuxListing&) = delete;
    LinuxListing& operator=(const LinuxListing&) = delete;

    bool next(DirEntry& entry) override {
        if (at_ == filled_) {
            // An error in the middle ends the listing, as readdir() would.
            const ssize_t got = ::getdents64(fd_, buffer_.get(), kBufferSize);
            if (got <= 0) {
                return false;
            }
            at_ = 0;
            filled_ = static_cast<std::size_t>(got);
        }
        const char* const record = buffer_.get() + at_;
        unsigned short length = 0;
        std::memcpy(&length, record + offsetof(dirent64, d_reclen), sizeof length);
        const auto type = static_cast<unsigned char>(record[offsetof(dirent64, d_type)]);
        at_ += length;
        entry.name = record + offsetof(dirent64, d_name);
        entry.isLink = type == DT_LNK;
        entry.isFolder = type == DT_DIR;
        if (type == DT_UNKNOWN) {
            // Some file systems do not fill d_type at all.
            struct stat info {};
            if (::fstatat(fd_, entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
                entry.isLink = S_ISLNK(info.st_mode);
                entry.isFolder = S_ISDIR(info.st_mode);
            }
        }
        if (entry.isLink) {
            // The simulator follows links.
            struct stat info {};
            entry.isFolder =
                ::fstatat(fd_, entry.name.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        return true;
    }

private:
    static constexpr std::size_t kBufferSize = 32 * 1024;  // what glibc's opendir takes
    int fd_;
    std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
};

class LinuxInputFile : public InputFile {
public:
    LinuxInputFile(int fd, std::string path, bool readOnly)
        : fd_(fd), path_(std::move(path)), readOnly_(readOnly) {}
    ~LinuxInputFile() override { ::close(fd_); }
    LinuxInputFile(const LinuxInputFile&) = delete;
    LinuxInputFile& operator=(const LinuxInputFile&) = delete;

    bool readOnly() const override { return readOnly_; }

    std::size_t read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                throwLinuxError(path_, errno);
            }
        }
    }

private:
    int fd_;
    std::string path_;
    bool readOnly_;
};

class LinuxOutputFile : public OutputFile {
public:
    LinuxOutputFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~LinuxOutputFile() override {
        if (fd_ >= 0) {
            // A worker may still be flushing this descriptor: it must not be closed, and its
            // number reused, under the worker's hands.
            if (flushed_.valid()) {
                flushed_.wait();
            }
            ::close(fd_);
        }
    }
    LinuxOutputFile(const LinuxOutputFile&) = delete;
    LinuxOutputFile& operator=(const LinuxOutputFile&) = delete;

    void write(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t put = ::write(fd_, data, size);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throwLinuxError(path_, errno);
            }
            data += put;
            size -= static_cast<std::size_t>(put);
        }
    }

    void startWriteBack() override {
#ifdef SYNC_FILE_RANGE_WRITE
        // Only starts the writing: the flush in close() still waits for it. Where the call is
        // not supported, that flush does all the work, as it did before.
        if (::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE) != 0 && errno != EINVAL &&
            errno != ENOSYS && errno != ESPIPE) {
            throwLinuxError(path_, errno);
        }
#endif
    }

    void copyPropertiesFrom(const std::string& path) override {
        struct stat from {};
        struct stat own {};
        if (::stat(path.c_str(), &from) != 0) {
            throwLinuxError(path, errno);
        }
        if (::fstat(fd_, &own) != 0) {
            throwLinuxError(path_, errno);
        }
        // The group first: chown clears the set-group-ID bit that chmod then sets again. A
        // group the user is no member of is not ours to give (EPERM); the file keeps the
        // user's own, with the mode's group bits applying to it.
        if (own.st_gid != from.st_gid && ::fchown(fd_, static_cast<uid_t>(-1), from.st_gid) != 0 &&
            errno != EPERM) {
            throwLinuxError(path_, errno);
        }
        if (::fchmod(fd_, from.st_mode & 07777) != 0) {
            throwLinuxError(path_, errno);
        }
    }

    void startFlush() noexcept override {
        if (!flushed_.valid()) {
            const int fd = fd_;
            flushed_ =
                FlushWorkers::shared().run([fd] { return ::fdatasync(fd) == 0 ? 0 : errno; });
        }
    }

    void close() override {
        // The file is renamed over aircraft.cfg next; without a flush a power cut could leave
        // the new name pointing at data that never reached the disk. fdatasync also writes the
        // size and the blocks, all a reader needs; on ext4 the first of a batch of such calls
        // commits the journal that holds the whole batch.
        const int fd = fd_;
        fd_ = -1;
        const int error = flushed_.valid() ? flushed_.get() : (::fdatasync(fd) == 0 ? 0 : errno);
        if (error != 0 && error != EINVAL && error != EROFS) {
            ::close(fd);
            throwLinuxError(path_, error);
        }
        if (::close(fd) != 0 && errno != EINTR) {
            throwLinuxError(path_, errno);
        }
    }

private:
    int fd_;
    std::string path_;
    std::future<int> flushed_;  // the flush startFlush() handed to the workers
};

}  // namespace

std::unique_ptr<DirectoryListing> makeLinuxListing(int fd) {
    return std::make_unique<LinuxListing>(fd);
}

std::unique_ptr<InputFile> makeLinuxInputFile(int fd, std::string path, bool readOnly) {
    return std::make_unique<LinuxInputFile>(fd, std::move(path), readOnly);
}

std::unique_ptr<OutputFile> makeLinuxOutputFile(int fd, std::string path) {
    return std::make_unique<LinuxOutputFile>(fd, std::move(path));
}

}  // namespace cirrowisp
