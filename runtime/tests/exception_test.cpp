#include "runtime/exception.h"

#include <gtest/gtest.h>

#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

namespace {

runtime_exception_payload window_payload(const std::string& message)
{
    return {"window.canvas", message, 0, "kiro_window_input_canvas", ""};
}

TEST(kiro_runtime_exception, what_joins_module_and_message_and_payload_keeps_fields)
{
    const kiro_runtime_exception error(window_payload("failed to acquire window/canvas device context"));
    EXPECT_STREQ(error.what(), "window.canvas: failed to acquire window/canvas device context");
    EXPECT_EQ(error.payload.module, "window.canvas");
    EXPECT_EQ(error.payload.message, "failed to acquire window/canvas device context");
    EXPECT_EQ(error.payload.number, 0u);
    EXPECT_EQ(error.payload.code, "kiro_window_input_canvas");
    EXPECT_EQ(error.payload.extra, "");
}

TEST(kiro_runtime_exception, what_text_survives_a_copy_thrown_by_value)
{
    try {
        throw kiro_runtime_exception(window_payload("failed to create window/canvas window"));
    } catch (const std::exception& caught) {
        EXPECT_STREQ(caught.what(), "window.canvas: failed to create window/canvas window");
        return;
    }
    FAIL() << "expected a std::exception";
}

TEST(kiro_task_cancelled, is_not_a_std_exception)
{
    static_assert(!std::is_base_of_v<std::exception, kiro_task_cancelled>);
    static_assert(std::is_empty_v<kiro_task_cancelled>);
    bool caught_as_std = false;
    bool caught_as_cancelled = false;
    try {
        try {
            throw kiro_task_cancelled{};
        } catch (const std::exception&) {
            caught_as_std = true;
        }
    } catch (const kiro_task_cancelled&) {
        caught_as_cancelled = true;
    }
    EXPECT_FALSE(caught_as_std);
    EXPECT_TRUE(caught_as_cancelled);
}

// Restores the thread's current task whatever a case does.
class task_cancellation : public ::testing::Test {
protected:
    void TearDown() override { current_task = nullptr; }
    task_state task;
};

TEST_F(task_cancellation, no_current_task_does_nothing)
{
    ASSERT_EQ(current_task, nullptr);
    EXPECT_NO_THROW(throw_if_task_cancelled());
}

TEST_F(task_cancellation, task_without_request_does_nothing)
{
    current_task = &task;
    EXPECT_NO_THROW(throw_if_task_cancelled());
    EXPECT_FALSE(task.cancel_observed.load());
}

TEST_F(task_cancellation, requested_cancellation_throws_and_is_observed)
{
    current_task = &task;
    task.cancel_requested.store(true);
    EXPECT_THROW(throw_if_task_cancelled(), kiro_task_cancelled);
    EXPECT_TRUE(task.cancel_observed.load());
    // Still requested: every later check throws again.
    EXPECT_THROW(throw_if_task_cancelled(), kiro_task_cancelled);
}

TEST(task_state, flags_are_one_byte_each_and_start_clear)
{
    static_assert(sizeof(task_state::cancel_observed) == 1 && sizeof(task_state::cancel_requested) == 1);
    const task_state task;
    EXPECT_FALSE(task.cancel_observed.load());
    EXPECT_FALSE(task.cancel_requested.load());
}

} // namespace
