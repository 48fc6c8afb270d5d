#include "platform/flush_workers.h"

#include <system_error>

namespace cirrowisp {

namespace {

// A batch holds up to 128 files; more threads than this merge no more flushes.
constexpr int kThreads = 8;

}  // namespace

FlushWorkers& FlushWorkers::shared() {
    static FlushWorkers workers;
    return workers;
}

FlushWorkers::~FlushWorkers() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

std::future<int> FlushWorkers::push(std::packaged_task<int()> task) {
    std::future<int> result = task.get_future();
    {
        const std::lock_guard lock(mutex_);
        if (threads_.empty()) {
            // Those that did start serve; with none at all, the caller flushes by itself.
            try {
                for (int i = 0; i < kThreads; ++i) {
                    threads_.emplace_back([this] { work(); });
                }
            } catch (const std::system_error&) {
                if (threads_.empty()) {
                    throw;
                }
            }
        }
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return result;
}

void FlushWorkers::work() {
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

}  // namespace cirrowisp
