// cirrowisp-measure: runs a program and prints its wall time, CPU time and peak resident set.
//
// The peak comes from wait4()'s ru_maxrss, which also remembers the memory of the process that
// started the program before its exec. Started straight from the benchmark driver, a small run
// would be charged with the driver's megabytes; from this small process it is not.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: cirrowisp-measure PROGRAM [ARGS...]\n");
        return 2;
    }
    timespec start{};
    timespec stop{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 1;
    }
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            close(null);
        }
        execv(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait4");
        return 1;
    }
    clock_gettime(CLOCK_MONOTONIC, &stop);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    const double wall = static_cast<double>(stop.tv_sec - start.tv_sec) +
                        static_cast<double>(stop.tv_nsec - start.tv_nsec) / 1e9;
    std::printf("%d %.6f %.6f %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128, wall,
                seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss);
    return 0;
}
