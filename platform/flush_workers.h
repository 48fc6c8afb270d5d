#pragma once

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace cirrowisp {

// A few threads that flush files for the host's file system, shared by every file it writes.
// One flush after another, each file waits for the disk on its own; under way together, the
// disk serves them with a few cache flushes. The threads start once, with the first flush: a
// thread per file would pay its start and its end every time (under Wine, round trips to its
// server, a stack and the libraries' thread notices for each file).
class FlushWorkers {
public:
    static FlushWorkers& shared();

    // Runs `flush` on a worker; its result, to come, is 0 when the file is on the disk and the
    // system's error code otherwise. Invalid when no worker could be started or no memory was
    // to be had: the caller then flushes by itself.
    template <typename Flush>
    std::future<int> run(Flush flush) noexcept {
        try {
            return push(std::packaged_task<int()>(std::move(flush)));
        } catch (...) {
            return {};
        }
    }

    FlushWorkers(const FlushWorkers&) = delete;
    FlushWorkers& operator=(const FlushWorkers&) = delete;

private:
    FlushWorkers() = default;
    ~FlushWorkers();

    std::future<int> push(std::packaged_task<int()> task);
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<int()>> tasks_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace cirrowisp
