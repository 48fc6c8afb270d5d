#include "bench/io_floor.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
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

void copyBytes(int in, int out, std::vector<char>& buffer, const std::string& path,
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
        const char* data = buffer.data();
        auto left = static_cast<std::size_t>(got);
        while (left > 0) {
            const ssize_t put = ::write(out, data, left);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                fail("write", path);
            }
            data += put;
            left -= static_cast<std::size_t>(put);
        }
    }
}

void treatFolder(const std::string& folder, const FloorOptions& options, std::vector<char>& buffer,
                 FloorTotals& totals) {
    struct stat info {};
    const std::string panel = folder + "/panel";
    const bool flyable = ::stat(panel.c_str(), &info) == 0;
    if (flyable && !options.includeFlyable) {
        return;
    }
    const std::string cfg = folder + "/aircraft.cfg";
    Fd in(::open(cfg.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0 || ::fstat(in.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return;
    }
    const std::string fresh = folder + "/new_aircraft.cfg";
    Fd out(::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.get() < 0) {
        return;
    }
    ++(flyable ? totals.flyable : totals.treated);
    copyBytes(in.get(), out.get(), buffer, cfg, totals);
    if (options.sync && ::fsync(out.get()) != 0) {
        fail("fsync", fresh);
    }
    if (::close(out.release()) != 0) {
        fail("close", fresh);
    }
    ::close(in.release());

    const std::string backup = folder + "/without_contrails_aircraft.cfg";
    Fd held(::open(backup.c_str(), O_RDONLY | O_CLOEXEC));
    if (held.get() >= 0) {
        if (::unlink(cfg.c_str()) != 0) {
            fail("delete", cfg);
        }
    } else {
        if (::renameat2(AT_FDCWD, cfg.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) != 0) {
            fail("rename", cfg);
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
                if (isFolder(root, *entry)) {
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
