#include "example/cancellable_sleep.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "runtime/exception.h"

void cancellable_sleep(int32_t milliseconds) {
    constexpr int32_t slice_limit = 5;
    int32_t remaining = milliseconds;
    while (remaining > 0) {
        throw_if_task_cancelled();
        const int32_t slice = std::min(remaining, slice_limit);
        std::this_thread::sleep_for(std::chrono::milliseconds(slice));
        remaining -= slice;
    }
}
