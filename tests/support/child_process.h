#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cirrowisp {

// A user and group to run a child as.
struct Account {
    uid_t uid;
    gid_t gid;
};

// How a child is started: where its output goes (nothing named: thrown away), when this
// process is root, whom it runs as, and the folder it starts in (none named: ours).
struct ChildOptions {
    std::string outPath;
    std::string errPath;
    std::optional<Account> as;
    std::string workDir;
};

// A program running as a child process (POSIX): started at once, waited for on request. The
// child reports a failed set-up by its exit status: 126 output files, 125 account, 124 folder,
// 127 exec.
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

// Copies `program` into `folder` and lets everyone reach both, so that a child run as another
// account can start it: the build folder may sit where only we may go (a checkout inside a 0700
// home folder). Returns the copy's path; the folder is the test's own, never one of the user's.
std::string stageProgram(const std::string& program, const std::filesystem::path& folder);

}  // namespace cirrowisp
