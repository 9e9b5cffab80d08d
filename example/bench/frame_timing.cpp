// One whole frame of the game in its window, timed on the game's own frame
// loop: from the end of one pause to the start of the next, i.e. the loop-head
// pump, dt, wind, the input edges and keys, the step, the drawing through the
// window runtime, EndFrame and the ESCAPE query. The pause itself (16 ms, as in
// the game) is not timed. Only the standard clock: the same program is built for
// Linux (x11 back-end) and for Windows, where there is no Google Benchmark.
//
// Usage: example_frame_timing [frames [warm-up frames]] (300 and 30 by default).
// After the timed frames it closes the game window as its close button does, so
// the loop ends on its own path, and prints "frame-median-us: N" and the spread.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "example/entry_point.h"
#include "example/frame_clock.h"
#include "example/window_game_canvas.h"
#include "platform/win32.h"
#include "window_canvas/window_registry.h"

namespace {

using timing_clock = std::chrono::steady_clock;

// Frames may still run after the close request while the pump works through
// what came before it; past this many the window is taken to be stuck.
constexpr int frames_after_close_limit = 500;

// The game's clock, with the time of every frame taken around its pause.
class frame_timing_clock final : public frame_clock {
public:
    frame_timing_clock(int frames, int warm_up) : frames_(frames), warm_up_(warm_up) {
        microseconds_.reserve(static_cast<std::size_t>(frames));
    }

    int32_t now_milliseconds() override { return real_.now_milliseconds(); }

    void pause() override {
        const auto frame_end = timing_clock::now();
        if (close_requested_) {
            if (++frames_after_close_ > frames_after_close_limit) {
                std::fprintf(stderr, "the game window did not close\n");
                std::exit(1);
            }
        } else if (paused_once_ && warm_up_ > 0) {
            --warm_up_;
        } else if (paused_once_) {
            microseconds_.push_back(std::chrono::duration<double, std::micro>(frame_end - frame_start_).count());
            if (static_cast<int>(microseconds_.size()) == frames_) request_close();
        }
        paused_once_ = true;
        real_.pause();
        frame_start_ = timing_clock::now();
    }

    const std::vector<double>& microseconds() const { return microseconds_; }

private:
    // The first frame begins before the window exists, so timing starts after
    // the first pause; the loop sees the request at its next pump.
    void request_close() {
        close_requested_ = true;
        window_registry& registry = window_registry::instance();
        const window_runtime* primary = registry.find(registry.primary_id);
        if (primary == nullptr || primary->window_handle == nullptr ||
            !PostMessageW(primary->window_handle, WM_CLOSE, 0, 0)) {
            std::fprintf(stderr, "the game window could not be asked to close\n");
            std::exit(1);
        }
    }

    steady_frame_clock real_;
    int frames_;
    int warm_up_;
    bool paused_once_ = false;
    bool close_requested_ = false;
    int frames_after_close_ = 0;
    timing_clock::time_point frame_start_{};
    std::vector<double> microseconds_;
};

// A whole number in [lowest, 1000000], else the default when absent.
int count_argument(int argc, char** argv, int index, int fallback, int lowest) {
    if (index >= argc) return fallback;
    char* end = nullptr;
    const long value = std::strtol(argv[index], &end, 10);
    if (end == argv[index] || *end != '\0' || value < lowest || value > 1000000) {
        std::fprintf(stderr, "usage: %s [frames [warm-up frames]]\n", argv[0]);
        std::exit(2);
    }
    return static_cast<int>(value);
}

// The sample at quantile q of sorted samples (nearest rank).
double quantile(const std::vector<double>& sorted, double q) {
    const auto rank = static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = count_argument(argc, argv, 1, 300, 1);
    const int warm_up = count_argument(argc, argv, 2, 30, 0);
    window_game_canvas canvas;
    frame_timing_clock clock(frames, warm_up);
    const int status = run_kelvaro(canvas, clock);
    if (status != 0) return status;

    std::vector<double> sorted = clock.microseconds();
    if (static_cast<int>(sorted.size()) != frames) {
        std::fprintf(stderr, "the loop ended after %zu of %d timed frames\n", sorted.size(), frames);
        return 1;
    }
    std::sort(sorted.begin(), sorted.end());
    std::printf("frames: %d\n", frames);
    std::printf("frame-median-us: %.1f\n", quantile(sorted, 0.5));
    std::printf("frame-min-us: %.1f\n", sorted.front());
    std::printf("frame-p90-us: %.1f\n", quantile(sorted, 0.9));
    std::printf("frame-max-us: %.1f\n", sorted.back());
    return 0;
}
