#include "tests/support/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace cirrowisp {

namespace {
// Points `fd` at `path`, or at /dev/null when no path is given.
bool redirect(int fd, const std::string& path) {
    const int file = path.empty() ? ::open("/dev/null", O_WRONLY)
                                  : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    return file >= 0 && ::dup2(file, fd) >= 0;
}
}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options) {
    // Built before the fork: the child only redirects and execs.
    std::vector<std::string> words = argv;
    std::vector<char*> raw;
    for (std::string& word : words) raw.push_back(word.data());
    raw.push_back(nullptr);
    std::fflush(nullptr);  // or the child would write our buffered output a second time
    pid_ = ::fork();
    if (pid_ != 0)
        return;
    if (!redirect(1, options.outPath) || !redirect(2, options.errPath))
        std::_Exit(126);
    if (options.as && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(options.as->gid) != 0 ||
         ::setuid(options.as->uid) != 0)) {
        std::_Exit(125);
    }
    if (!options.workDir.empty() && ::chdir(options.workDir.c_str()) != 0)
        std::_Exit(124);
    ::execv(raw[0], raw.data());
    std::_Exit(127);
}

std::string stageProgram(const std::string& program, const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    const fs::path copy = folder / fs::path(program).filename();
    fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
    // Set outright: the copy and the folder take the caller's umask, which may be 077.
    const fs::perms everyone = fs::perms::owner_all | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read |
                               fs::perms::others_exec;
    fs::permissions(folder, everyone);
    fs::permissions(copy, everyone);
    return copy.string();
}

int ChildProcess::wait(long* peakKilobytes) {
    if (pid_ < 0)
        return -1;
    int status = 0;
    rusage usage{};
    pid_t waited;
    while ((waited = ::wait4(pid_, &status, 0, &usage)) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (waited < 0)
        return -1;
    if (peakKilobytes)
        *peakKilobytes = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace cirrowisp
