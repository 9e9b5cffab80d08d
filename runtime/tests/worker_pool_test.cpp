#include "runtime/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace {

// Queues a task the way the worker loop expects: pushed under the lock, a
// worker woken after unlocking.
void post(worker_pool& pool, std::function<void()> task)
{
    {
        const std::lock_guard<std::mutex> lock(pool.mutex);
        pool.queue.push_back(std::move(task));
    }
    pool.condition.notify_one();
}

TEST(worker_pool_count, bounded_to_two_through_four)
{
    const struct {
        unsigned hardware_threads;
        unsigned workers;
    } cases[] = {{0, 2}, {1, 2}, {2, 2}, {3, 3}, {4, 4}, {8, 4}, {64, 4}, {UINT_MAX, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(worker_pool_count(c.hardware_threads), c.workers) << c.hardware_threads << " hardware threads";
    }
}

TEST(worker_pool_lifecycle, starts_the_counted_workers)
{
    worker_pool pool;
    EXPECT_EQ(pool.workers.size(), worker_pool_count(std::thread::hardware_concurrency()));
    for (const auto& worker : pool.workers) {
        EXPECT_TRUE(worker.joinable());
    }
}

TEST(worker_pool_lifecycle, destroyed_right_after_construction)
{
    for (int i = 0; i < 20; ++i) {
        auto pool = std::make_unique<worker_pool>();
        pool.reset();
    }
    SUCCEED();
}

TEST(worker_pool_tasks, posted_task_runs_while_the_pool_lives)
{
    worker_pool pool;
    std::promise<std::thread::id> ran;
    auto ran_on = ran.get_future();
    post(pool, [&ran] { ran.set_value(std::this_thread::get_id()); });
    const std::thread::id worker = ran_on.get();
    EXPECT_NE(worker, std::this_thread::get_id());
}

TEST(worker_pool_tasks, every_queued_task_runs_before_destruction_returns)
{
    constexpr int task_count = 2000;
    std::atomic<int> done{0};
    {
        worker_pool pool;
        // Queued without waking anyone: the destructor finds them still queued.
        const std::lock_guard<std::mutex> lock(pool.mutex);
        for (int i = 0; i < task_count; ++i) {
            pool.queue.push_back([&done] { done.fetch_add(1, std::memory_order_relaxed); });
        }
    }
    EXPECT_EQ(done.load(), task_count);
}

TEST(worker_pool_tasks, queued_task_can_queue_more_while_draining)
{
    std::atomic<int> done{0};
    {
        worker_pool pool;
        worker_pool* const p = &pool;
        post(pool, [p, &done] {
            post(*p, [&done] { done.fetch_add(1); });
            done.fetch_add(1);
        });
    }
    EXPECT_EQ(done.load(), 2);
}

TEST(worker_pool_tasks, empty_or_throwing_task_does_not_stop_the_draining)
{
    std::atomic<int> done{0};
    {
        worker_pool pool;
        const std::lock_guard<std::mutex> lock(pool.mutex);
        for (int i = 0; i < 50; ++i) {
            pool.queue.push_back(nullptr);
            pool.queue.push_back([] { throw std::runtime_error("task failed"); });
            pool.queue.push_back([&done] { done.fetch_add(1); });
        }
    }
    EXPECT_EQ(done.load(), 50);
}

} // namespace
