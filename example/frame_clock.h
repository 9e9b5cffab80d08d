#pragma once
// What the frame loop takes from time: a millisecond clock and the pause
// between frames. steady_frame_clock is the real one.

#include <cstdint>

class frame_clock {
public:
    virtual ~frame_clock() = default;
    // Monotonic milliseconds, truncated to 32 bits: only differences of two
    // readings mean anything, and they wrap.
    virtual int32_t now_milliseconds() = 0;
    // The pause after each frame.
    virtual void pause() = 0;
};

// std::chrono::steady_clock, and a cancellable pause of 16 ms.
class steady_frame_clock final : public frame_clock {
public:
    int32_t now_milliseconds() override;
    void pause() override;
};
