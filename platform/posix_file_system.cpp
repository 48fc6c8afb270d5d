#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/host_file_system.h"

namespace cirrowisp {

namespace {

std::string reasonOf(int error) {
    return std::system_category().message(error);
}

[[noreturn]] void throwErrno(const std::string& path, int error) {
    throw FileError(path, reasonOf(error));
}

// A folder's entries straight from getdents64 into a buffer of its own: a DIR would fstat the
// folder once more, where listFolder() has taken its statx already.
class PosixListing : public DirectoryListing {
public:
    explicit PosixListing(int fd) : fd_(fd) {}
    ~PosixListing() override { ::close(fd_); }
    PosixListing(const PosixListing&) = delete;
    PosixListing& operator=(const PosixListing&) = delete;

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

class PosixInputFile : public InputFile {
public:
    PosixInputFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixInputFile() override { ::close(fd_); }
    PosixInputFile(const PosixInputFile&) = delete;
    PosixInputFile& operator=(const PosixInputFile&) = delete;

    std::size_t read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                throwErrno(path_, errno);
            }
        }
    }

private:
    int fd_;
    std::string path_;
};

// Flushes files on a few threads of its own. One flush after another, each file's flush costs
// the disk a cache flush of its own; under way together, the block layer serves them with a few.
class FlushWorkers {
public:
    static FlushWorkers& shared() {
        static FlushWorkers workers;
        return workers;
    }

    // The flush's errno (0: done), to come; invalid when no worker could be started.
    std::future<int> flush(int fd) noexcept {
        try {
            std::packaged_task<int()> task([fd] { return ::fdatasync(fd) == 0 ? 0 : errno; });
            std::future<int> result = task.get_future();
            {
                const std::lock_guard lock(mutex_);
                if (threads_.empty()) {
                    for (int i = 0; i < kThreads; ++i) {
                        threads_.emplace_back([this] { work(); });
                    }
                }
                tasks_.push_back(std::move(task));
            }
            wake_.notify_one();
            return result;
        } catch (const std::exception&) {
            // No thread or no memory: the caller flushes by itself.
            return {};
        }
    }

    FlushWorkers(const FlushWorkers&) = delete;
    FlushWorkers& operator=(const FlushWorkers&) = delete;

private:
    // A batch holds up to 128 files; more threads than this merge no more flushes.
    static constexpr int kThreads = 8;

    FlushWorkers() = default;
    ~FlushWorkers() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }

    void work() {
        for (;;) {
            std::packaged_task<int()> task;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
                if (tasks_.empty()) {
                    return;
                }
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<int()>> tasks_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

class PosixOutputFile : public OutputFile {
public:
    PosixOutputFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixOutputFile() override {
        if (fd_ >= 0) {
            // A worker may still be flushing this descriptor: it must not be closed, and its
            // number reused, under the worker's hands.
            if (flushed_.valid()) {
                flushed_.wait();
            }
            ::close(fd_);
        }
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    void write(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t put = ::write(fd_, data, size);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throwErrno(path_, errno);
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
            throwErrno(path_, errno);
        }
#endif
    }

    void startFlush() noexcept override {
        if (!flushed_.valid()) {
            flushed_ = FlushWorkers::shared().flush(fd_);
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
            throwErrno(path_, error);
        }
        if (::close(fd) != 0 && errno != EINTR) {
            throwErrno(path_, errno);
        }
    }

private:
    int fd_;
    std::string path_;
    std::future<int> flushed_;  // the flush startFlush() handed to the workers
};

bool nameTaken(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string posixPath(const std::string& path) {
    std::string result = path;
    for (char& c : result) {
        if (c == '\\') {
            c = '/';
        }
    }
    return result;
}

std::string tidyPosixPath(const std::string& path) {
    const std::string slashed = posixPath(path);
    const bool absolute = !slashed.empty() && slashed.front() == '/';
    std::string result = absolute ? "/" : "";
    std::size_t pos = 0;
    while (pos <= slashed.size()) {
        std::size_t end = slashed.find('/', pos);
        if (end == std::string::npos) {
            end = slashed.size();
        }
        const std::string segment = slashed.substr(pos, end - pos);
        if (!segment.empty() && segment != ".") {
            if (!result.empty() && result.back() != '/') {
                result += '/';
            }
            result += segment;
        }
        pos = end + 1;
    }
    return result.empty() ? std::string(1, '.') : result;
}

PosixFileSystem::PosixFileSystem() : uid_(::getuid()), euid_(::geteuid()) {}

// Only absolutePath() reads a backslash as a separator: it turns the path a user typed into a
// host path once. Every other path is one it returned, joined with names a listing gave, and a
// backslash there belongs to a name: a folder named in Shift-JIS can hold 0x5C as the second
// byte of a character, and turning that into a slash would silently skip the aircraft.
std::unique_ptr<DirectoryListing> PosixFileSystem::listFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    listed_.path = path;
    listed_.key = folderKey(fd);
    return std::make_unique<PosixListing>(fd);
}

// A run asks whether it could create files in every folder whose file needs no change, and one
// access() for each costs it a twentieth of its time. The kernel's answer for a folder of our
// own, or for root, depends only on the mount, the folder's owner, group, mode and attributes
// (ACL entries do not apply to either): on a local file system, one answer per such key serves
// every folder that shares it. Anyone else may be let in by a group or an ACL entry, and a
// network or FUSE file system may ask its server: those folders keep the system call. (A
// security module that judges single folders by their own labels would not be seen here; the
// answer only decides whether an unchanged file counts, never what is written.)
std::optional<PosixFileSystem::FolderKey> PosixFileSystem::folderKey(int folder) {
    constexpr unsigned kWanted = STATX_MODE | STATX_UID | STATX_GID | STATX_MNT_ID;
    struct statx info {};
    if (euid_ != uid_ || ::statx(folder, "", AT_EMPTY_PATH, kWanted, &info) != 0 ||
        (info.stx_mask & kWanted) != kWanted || (info.stx_uid != euid_ && euid_ != 0)) {
        return std::nullopt;
    }
    auto mount = std::find_if(mounts_.begin(), mounts_.end(),
                              [&](const Mount& known) { return known.id == info.stx_mnt_id; });
    if (mount == mounts_.end()) {
        mount = mounts_.insert(mounts_.end(), Mount{info.stx_mnt_id, isLocal(folder)});
    }
    if (!mount->local) {
        return std::nullopt;
    }
    constexpr std::uint64_t kAttributes = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    return FolderKey{info.stx_mnt_id, info.stx_uid, info.stx_gid, info.stx_mode,
                     info.stx_attributes & kAttributes};
}

bool PosixFileSystem::isLocal(int folder) {
    struct statfs info {};
    if (::fstatfs(folder, &info) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(info.f_type)) {
        case EXT4_SUPER_MAGIC:  // ext2 and ext3 too
        case TMPFS_MAGIC:
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

std::unique_ptr<InputFile> PosixFileSystem::openRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    // open() succeeds on a folder; reading it would then fail with EISDIR in the middle of a
    // run instead of the folder counting as "no aircraft.cfg".
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixInputFile>(fd, path);
}

std::unique_ptr<OutputFile> PosixFileSystem::createFile(const std::string& path,
                                                        std::string* reason) {
    // O_EXCL refuses any name that exists, a link (even a dangling one) included, so the file
    // opened is always the one just made: a link planted under this name by an archive would
    // otherwise take the bytes to wherever it points. A stale file or link is removed first;
    // unlink() removes the link, never its target. Should another one appear in between, the
    // second open fails and the folder is left alone.
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(path.c_str(), kFlags, 0666);
    if (fd < 0 && errno == EEXIST && ::unlink(path.c_str()) == 0) {
        fd = ::open(path.c_str(), kFlags, 0666);
    }
    if (fd < 0) {
        if (reason != nullptr) {
            *reason = reasonOf(errno);
        }
        return nullptr;
    }
    return std::make_unique<PosixOutputFile>(fd, path);
}

void PosixFileSystem::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        throwErrno(path, errno);
    }
}

void PosixFileSystem::replaceFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throwErrno(from, errno);
    }
}

void PosixFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    if (errno == EEXIST) {
        throwErrno(to, errno);
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        throwErrno(from, errno);
    }
#endif
    // A file system without renameat2 flags: link() fails on a taken name just the same.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) != 0) {
            throwErrno(from, errno);
        }
        return;
    }
    if (errno == EEXIST) {
        throwErrno(to, errno);
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EXDEV) {
        throwErrno(from, errno);
    }
    // No hard links either (FAT, some network shares): test, then rename. Only another program
    // racing us for this very name could slip in between.
    if (nameTaken(to)) {
        throwErrno(to, EEXIST);
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throwErrno(from, errno);
    }
}

bool PosixFileSystem::canCreateIn(const std::string& folder) {
    if (!listed_.key || folder != listed_.path) {
        return ::access(folder.c_str(), W_OK | X_OK) == 0;
    }
    const auto known = std::find_if(answers_.begin(), answers_.end(), [&](const auto& answer) {
        return answer.first == *listed_.key;
    });
    if (known != answers_.end()) {
        return known->second;
    }
    const bool answer = ::access(folder.c_str(), W_OK | X_OK) == 0;
    answers_.emplace_back(*listed_.key, answer);
    return answer;
}

std::string PosixFileSystem::absolutePath(const std::string& path) {
    const std::string host = posixPath(path);
    if (!host.empty() && host.front() == '/') {
        return tidyPosixPath(host);
    }
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            throwErrno(".", errno);
        }
        buffer.resize(buffer.size() * 2);
    }
    return tidyPosixPath(std::string(buffer.data()) + "/" + host);
}

std::unique_ptr<FileSystem> makeHostFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace cirrowisp
