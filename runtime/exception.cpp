#include "runtime/exception.h"

#include <utility>

thread_local task_state* current_task = nullptr;

kiro_runtime_exception::kiro_runtime_exception(runtime_exception_payload&& payload)
    : payload(std::move(payload)), what_text(this->payload.module + ": " + this->payload.message)
{
}

kiro_runtime_exception::~kiro_runtime_exception() = default;

const char* kiro_runtime_exception::what() const noexcept
{
    return what_text.c_str();
}

void throw_if_task_cancelled()
{
    task_state* const task = current_task;
    if (task != nullptr && task->cancel_requested.load()) {
        task->cancel_observed.exchange(true, std::memory_order_seq_cst);
        throw kiro_task_cancelled{};
    }
}

static_assert(sizeof(std::atomic<bool>) == 1, "task flags are one byte each");
