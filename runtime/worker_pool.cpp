#include "runtime/worker_pool.h"

#include <algorithm>
#include <utility>

unsigned worker_pool_count(unsigned hardware_threads)
{
    return std::min(std::max(hardware_threads, 2u), 4u);
}

worker_pool::worker_pool()
{
    const unsigned count = worker_pool_count(std::thread::hardware_concurrency());
    workers.reserve(count);
    try {
        for (unsigned i = 0; i < count; ++i) {
            workers.emplace_back([pool = this] { pool->worker_loop(); });
        }
    } catch (...) {
        // A thread that cannot be started: the ones already running must not
        // outlive the half-built pool.
        stop_and_join();
        throw;
    }
}

worker_pool::~worker_pool()
{
    stop_and_join();
}

// Workers that cannot be stopped or joined would outlive the pool they point
// to, so a failure to lock or to join ends the process (noexcept) rather than
// leave them running.
void worker_pool::stop_and_join() noexcept
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stop = true;
    }
    condition.notify_all();
    for (std::thread& worker : workers) {
        if (worker.joinable()) {
            worker.join();
        }
    }
}

void worker_pool::worker_loop()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(mutex);
            condition.wait(lock, [this] { return stop || !queue.empty(); });
            if (queue.empty()) {
                return; // stop is set and nothing is left to drain
            }
            task = std::move(queue.front());
            queue.pop_front();
        }
        // Tasks are expected to be callable and not to throw. An empty one is
        // skipped and an exception dropped, so that a faulty task neither ends
        // the process nor stops this worker draining the queue.
        if (task) {
            try {
                task();
            } catch (...) {
            }
        }
    }
}

empty_polymorphic::~empty_polymorphic() = default;
