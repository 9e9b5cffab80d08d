#include "example/cancellable_sleep.h"

#include <gtest/gtest.h>

#include "runtime/exception.h"

namespace {

// Sets the thread's current task for one test.
struct current_task_scope {
    explicit current_task_scope(task_state* task) { current_task = task; }
    ~current_task_scope() { current_task = nullptr; }
};

TEST(cancellable_sleep, sleeps_through_without_a_task_or_a_request) {
    cancellable_sleep(16);
    task_state task;
    current_task_scope scope(&task);
    cancellable_sleep(6);
    EXPECT_FALSE(task.cancel_observed.load());
}

TEST(cancellable_sleep, a_requested_cancellation_is_observed_and_thrown_before_sleeping) {
    task_state task;
    task.cancel_requested = true;
    current_task_scope scope(&task);
    EXPECT_THROW(cancellable_sleep(16), kiro_task_cancelled);
    EXPECT_TRUE(task.cancel_observed.load());

    task.cancel_observed = false;
    cancellable_sleep(0);
    EXPECT_FALSE(task.cancel_observed.load()) << "no slice, no check";
}

}  // namespace
