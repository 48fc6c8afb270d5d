#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace cirrowisp {

// A user and group to run a child as.
struct Account {
    uid_t uid;
    gid_t gid;
};

// How a child is started: where its output goes (nothing named: thrown away) and, when this
// process is root, whom it runs as.
struct ChildOptions {
    std::string outPath;
    std::string errPath;
    std::optional<Account> as;
};

// A program running as a child process (POSIX): started at once, waited for on request. The
// child reports a failed set-up by its exit status: 126 output files, 125 account, 127 exec.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options = {});
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }  // -1 when it could not be started
    // Waits for it to end: its exit status, or 128 + the signal that ended it; -1 when there
    // was no child. `peakKilobytes`, if given, receives its peak resident memory.
    int wait(long* peakKilobytes = nullptr);

private:
    pid_t pid_ = -1;
};

}  // namespace cirrowisp
