#include "example/frame_clock.h"

#include <chrono>

#include "example/cancellable_sleep.h"

int32_t steady_frame_clock::now_milliseconds() {
    const auto since_epoch = std::chrono::steady_clock::now().time_since_epoch();
    const int64_t milliseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(since_epoch).count() / 1000000;
    // Modular narrowing (well defined since C++20): the low 32 bits.
    return static_cast<int32_t>(static_cast<uint32_t>(milliseconds));
}

void steady_frame_clock::pause() { cancellable_sleep(16); }
