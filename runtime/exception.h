#pragma once
// The runtime's exception type, the task-cancellation exception and the
// per-thread current task that a cancellable wait consults.

#include <atomic>
#include <cstdint>
#include <exception>
#include <string>

// Detail record of a runtime failure.
struct runtime_exception_payload {
    std::string module;   // failing module, e.g. "window.canvas"
    std::string message;  // failure message
    std::uint64_t number = 0;
    std::string code;     // the module's error code
    std::string extra;
};

// The one exception type the runtime throws; what() is "<module>: <message>".
class kiro_runtime_exception : public std::exception {
public:
    explicit kiro_runtime_exception(runtime_exception_payload&& payload);
    ~kiro_runtime_exception() override;

    const char* what() const noexcept override;

    const runtime_exception_payload payload;
    const std::string what_text;
};

// Thrown by a cancellable wait once the current task has been asked to stop.
// Deliberately not a std::exception: handlers of runtime failures let it pass.
class kiro_task_cancelled {
};

// The record of a running task; its flags may be set from another thread.
struct task_state {
    std::atomic<bool> cancel_observed{false};  // a wait has reacted to the request
    std::atomic<bool> cancel_requested{false}; // set by whoever cancels the task
};

// The task the calling thread runs; null unless a task runner sets it.
extern thread_local task_state* current_task;

// Throws kiro_task_cancelled, after marking the cancellation observed, when the
// current task is set and its cancellation was requested; else does nothing.
void throw_if_task_cancelled();
