#pragma once
// A pause that the current task can cut short.

#include <cstdint>

// Sleeps `milliseconds` in slices of at most 5 ms. Before each slice, throws
// kiro_task_cancelled when the current task's cancellation was requested.
void cancellable_sleep(int32_t milliseconds);
