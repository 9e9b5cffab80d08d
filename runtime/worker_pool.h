#pragma once
// Fixed-size thread pool: two to four workers take tasks from one shared queue
// until the pool is destroyed; destruction runs every queued task first.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Workers for a machine reporting `hardware_threads` (0 when unknown): min(max(n, 2), 4).
unsigned worker_pool_count(unsigned hardware_threads);

class worker_pool {
public:
    // Starts worker_pool_count(std::thread::hardware_concurrency()) workers.
    worker_pool();
    // Lets the workers drain the queue, then joins them. Must not run on a worker.
    ~worker_pool();

    worker_pool(const worker_pool&) = delete;
    worker_pool& operator=(const worker_pool&) = delete;

    // What every worker thread runs; not for users.
    void worker_loop();

    // To queue a task: push it to the back of `queue` while holding `mutex`,
    // then, after unlocking, wake a worker through `condition`. Tasks should be
    // callable and not throw: an empty task is skipped and an exception that
    // leaves a task is dropped.
    std::mutex mutex;
    std::condition_variable condition;
    std::deque<std::function<void()>> queue; // pending tasks, oldest first
    bool stop = false;                       // set once by the destructor
    std::vector<std::thread> workers;        // in start order

private:
    void stop_and_join() noexcept;
};

// An empty polymorphic type.
class empty_polymorphic {
public:
    virtual ~empty_polymorphic();
};
