#include "example/entry_point.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "recording_canvas.h"
#include "runtime/exception.h"

namespace {

TEST(entry_point, any_value_but_1_starts_the_real_run) {
    const std::vector<std::optional<std::string>> values = {std::nullopt, "", "0", " 1", "1 ", "true", "11"};
    for (const auto& value : values) {
        SCOPED_TRACE(value ? "'" + *value + "'" : "unset");
        if (value) {
            setenv("QUON_EXAMPLE_TEST", value->c_str(), 1);
        } else {
            unsetenv("QUON_EXAMPLE_TEST");
        }
        recording_canvas canvas;
        scripted_clock clock;
        EXPECT_EQ(run_kelvaro(canvas, clock), 0);
        ASSERT_FALSE(canvas.calls.empty());
        EXPECT_EQ(canvas.calls.front().name, "OpenWindow");
        EXPECT_EQ(canvas.calls.back().name, "CloseAllWindows");
    }
}

struct no_window_canvas : recording_canvas {
    void OpenWindow(std::string_view, int32_t, int32_t, int32_t) override { std::abort(); }
};

TEST(entry_point, self_test_opens_no_window) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("QUON_EXAMPLE_TEST", "1", 1);
    no_window_canvas canvas;
    scripted_clock clock;
    EXPECT_EXIT(run_kelvaro(canvas, clock), testing::ExitedWithCode(0), "^$");
}

// The runtime's report of a window that closed while a frame was drawn.
struct closing_canvas : recording_canvas {
    void DrawRoundedRectRgba(int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t,
                             int64_t) override {
        runtime_exception_payload payload;
        payload.module = "window.canvas";
        payload.message = "window/canvas runtime window is not open for DrawRoundedRectRgba";
        throw kiro_runtime_exception(std::move(payload));
    }
};

TEST(entry_point, runtime_failure_prints_its_text_and_ends_with_1) {
    unsetenv("QUON_EXAMPLE_TEST");
    closing_canvas canvas;
    canvas.script = {frame_input{}};
    scripted_clock clock;
    testing::internal::CaptureStderr();
    const int status = run_kelvaro(canvas, clock);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "window.canvas: window/canvas runtime window is not open for DrawRoundedRectRgba\n");
    EXPECT_NE(canvas.calls.back().name, "CloseAllWindows") << "windows are left to process exit";
}

}  // namespace
