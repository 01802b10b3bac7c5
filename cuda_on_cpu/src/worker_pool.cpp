#include "worker_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace cuda_on_cpu::detail {
namespace {

struct Job {
    std::size_t count;
    Task task;
    const void* context;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};

    // Takes indices until none is left or a task has failed.
    void work() {
        for (;;) {
            if (failed.load(std::memory_order_relaxed)) return;
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= count) return;
            if (!task(context, i)) failed.store(true, std::memory_order_relaxed);
        }
    }
};

class WorkerPool {
  public:
    WorkerPool() {
        // The calling thread works too, so one core's worth of threads fewer are started.
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i + 1 < cores; ++i) std::thread([this] { serve(); }).detach();
        workers_ = cores - 1;
    }

    bool run(std::size_t count, Task task, const void* context) {
        Job job{count, task, context};
        const bool shared = count > 1 && workers_ > 0;
        if (shared) {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = &job;
            ++generation_;
            work_ready_.notify_all();
        }
        job.work();
        if (shared) {
            std::unique_lock<std::mutex> lock(mutex_);
            job_ = nullptr;  // workers that wake from now on find nothing to do
            all_left_.wait(lock, [this] { return busy_ == 0; });
        }
        return !job.failed.load();
    }

  private:
    void serve() {
        std::uint64_t seen = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            work_ready_.wait(lock, [&] { return generation_ != seen; });
            seen = generation_;
            Job* job = job_;
            if (job == nullptr) continue;
            ++busy_;
            lock.unlock();
            job->work();
            lock.lock();
            if (--busy_ == 0) all_left_.notify_one();
        }
    }

    unsigned workers_ = 0;
    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable all_left_;
    Job* job_ = nullptr;
    std::uint64_t generation_ = 0;
    int busy_ = 0;  // workers inside the current job
};

}  // namespace

bool run_on_pool(std::size_t count, Task task, const void* context) {
    // Never destroyed: the detached workers wait on it until the process ends.
    static WorkerPool* pool = new WorkerPool;
    return pool->run(count, task, context);
}

}  // namespace cuda_on_cpu::detail
