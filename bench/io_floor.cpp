#include "bench/io_floor.h"

#include "patcher/aircraft_folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace cirrowisp::bench {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// Closes a descriptor on every way out of a folder.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool isFolder(const std::string& folder, const dirent& entry) {
    if (entry.d_type == DT_DIR) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat info {};
    const std::string full = folder + "/" + entry.d_name;
    return ::stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void writeAll(int fd, const char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("write", path);
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
}

// Reads the old file once and writes every chunk unchanged to the new file and, on a first
// run, to the backup.
void copyBytes(int in, int out, int backup, std::vector<char>& buffer, const std::string& path,
               FloorTotals& totals) {
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("read", path);
        }
        if (got == 0) {
            return;
        }
        totals.bytes += static_cast<std::uint64_t>(got);
        writeAll(out, buffer.data(), static_cast<std::size_t>(got), path);
        if (backup >= 0) {
            writeAll(backup, buffer.data(), static_cast<std::size_t>(got), path);
        }
    }
}

void finishFile(Fd& file, const std::string& path, const FloorOptions& options) {
    if (options.sync && ::fsync(file.get()) != 0) {
        fail("fsync", path);
    }
    if (::close(file.release()) != 0) {
        fail("close", path);
    }
}

bool isPanel(const char* name) {
    return std::strlen(name) == 5 && ::strncasecmp(name, "panel", 5) == 0;
}

// The flyable test as the simulator makes it: a search of the folder for an entry named panel,
// file or folder, in any case.
bool hasPanel(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        found = found || isPanel(entry->d_name);
    }
    ::closedir(dir);
    return found;
}

void treatFolder(const std::string& folder, const FloorOptions& options, std::vector<char>& buffer,
                 FloorTotals& totals) {
    const bool flyable = hasPanel(folder);
    if (flyable && !options.includeFlyable) {
        return;
    }
    struct stat info {};
    const std::string cfg = folder + "/" + kAircraftFileName;
    Fd in(::open(cfg.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0 || ::fstat(in.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return;
    }
    if (options.readOnly) {
        ++(flyable ? totals.flyable : totals.treated);
        for (ssize_t got; (got = ::read(in.get(), buffer.data(), buffer.size())) != 0;) {
            if (got < 0 && errno != EINTR) {
                fail("read", cfg);
            }
            totals.bytes += got > 0 ? static_cast<std::uint64_t>(got) : 0;
        }
        return;
    }
    const std::string fresh = folder + "/" + kNewAircraftFileName;
    Fd out(::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.get() < 0) {
        return;
    }
    ++(flyable ? totals.flyable : totals.treated);

    // A first run keeps a copy of the old bytes, written beside the new file and renamed into
    // place; a later run finds the backup and leaves it alone.
    const std::string backup = folder + "/" + kBackupFileName;
    const std::string backupTemp = folder + "/" + kBackupTempFileName;
    const bool backupExists = Fd(::open(backup.c_str(), O_RDONLY | O_CLOEXEC)).get() >= 0;
    Fd copy(backupExists
                ? -1
                : ::open(backupTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!backupExists && copy.get() < 0) {
        fail("create", backupTemp);
    }

    copyBytes(in.get(), out.get(), copy.get(), buffer, cfg, totals);
    finishFile(out, fresh, options);
    if (!backupExists) {
        finishFile(copy, backupTemp, options);
    }
    ::close(in.release());

    if (!backupExists) {
        if (::renameat2(AT_FDCWD, backupTemp.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) !=
            0) {
            fail("rename", backupTemp);
        }
        ++totals.backupsMade;
    }
    if (::rename(fresh.c_str(), cfg.c_str()) != 0) {
        fail("rename", fresh);
    }
}

}  // namespace

FloorTotals ioFloorRun(const FloorOptions& options) {
    FloorTotals totals;
    std::vector<char> buffer(64 * 1024);
    for (const char* sub : {"/SimObjects/Airplanes", "/MyTraffic/Aircraft"}) {
        const std::string root = options.simulatorFolder + sub;
        DIR* dir = ::opendir(root.c_str());
        if (dir == nullptr) {
            continue;
        }
        try {
            // "." and ".." are folders like any other to the run, so they are visited here too.
            while (const dirent* entry = ::readdir(dir)) {
                // The simulator's "*." search: names without an extension, and "." and "..".
                const std::string_view name = entry->d_name;
                const bool noExtension = name.find('.') == std::string_view::npos;
                if ((noExtension || name == "." || name == "..") && isFolder(root, *entry)) {
                    treatFolder(root + "/" + entry->d_name, options, buffer, totals);
                }
            }
        } catch (...) {
            ::closedir(dir);
            throw;
        }
        ::closedir(dir);
    }
    return totals;
}

}  // namespace cirrowisp::bench
