#include "platform/linux_file_system.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "platform/host_file_system.h"
#include "platform/linux_open_files.h"

namespace cirrowisp {

namespace {

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

LinuxFileSystem::LinuxFileSystem() : uid_(::getuid()), euid_(::geteuid()) {}

// Only absolutePath() reads a backslash as a separator: it turns the path a user typed into a
// host path once. Every other path is one it returned, joined with names a listing gave, and a
// backslash there belongs to a name: a folder named in Shift-JIS can hold 0x5C as the second
// byte of a character, and turning that into a slash would silently skip the aircraft.
std::unique_ptr<DirectoryListing> LinuxFileSystem::listFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    listed_.path = path;
    listed_.key = folderKey(fd);
    return makeLinuxListing(fd);
}

// A run asks whether it could create files in every folder whose file needs no change, and one
// access() for each costs it a twentieth of its time. The kernel's answer for a folder of our
// own, or for root, depends only on the mount, the folder's owner, group, mode and attributes
// (ACL entries do not apply to either): on a local file system, one answer per such key serves
// every folder that shares it. Anyone else may be let in by a group or an ACL entry, and a
// network or FUSE file system may ask its server: those folders keep the system call. (A
// security module that judges single folders by their own labels would not be seen here; the
// answer only decides whether an unchanged file counts, never what is written.)
std::optional<LinuxFileSystem::FolderKey> LinuxFileSystem::folderKey(int folder) {
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

bool LinuxFileSystem::isLocal(int folder) {
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

std::unique_ptr<InputFile> LinuxFileSystem::openRead(const std::string& path) {
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
    return makeLinuxInputFile(fd, path, (info.st_mode & S_IWUSR) == 0);
}

std::unique_ptr<OutputFile> LinuxFileSystem::createFile(const std::string& path,
                                                        std::string* reason, FileErrorKind* kind) {
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
        const int error = errno;
        if (reason != nullptr) {
            *reason = linuxReason(error);
        }
        if (kind != nullptr) {
            *kind = linuxErrorKind(error);
        }
        return nullptr;
    }
    return makeLinuxOutputFile(fd, path);
}

void LinuxFileSystem::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        throwLinuxError(path, errno);
    }
}

void LinuxFileSystem::replaceFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throwLinuxError(from, errno);
    }
}

void LinuxFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    if (errno == EEXIST) {
        throwLinuxError(to, errno);
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        throwLinuxError(from, errno);
    }
#endif
    // A file system without renameat2 flags: link() fails on a taken name just the same.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) != 0) {
            throwLinuxError(from, errno);
        }
        return;
    }
    if (errno == EEXIST) {
        throwLinuxError(to, errno);
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EXDEV) {
        throwLinuxError(from, errno);
    }
    // No hard links either (FAT, some network shares): test, then rename. Only another program
    // racing us for this very name could slip in between.
    if (nameTaken(to)) {
        throwLinuxError(to, EEXIST);
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throwLinuxError(from, errno);
    }
}

bool LinuxFileSystem::canCreateIn(const std::string& folder) {
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

std::string LinuxFileSystem::absolutePath(const std::string& path) {
    const std::string host = posixPath(path);
    if (!host.empty() && host.front() == '/') {
        return tidyPosixPath(host);
    }
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            throwLinuxError(".", errno);
        }
        buffer.resize(buffer.size() * 2);
    }
    return tidyPosixPath(std::string(buffer.data()) + "/" + host);
}

std::unique_ptr<FileSystem> makeHostFileSystem() {
    return std::make_unique<LinuxFileSystem>();
}

}  // namespace cirrowisp
