#include "example/frame_loop.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "example/golf_game.h"
#include "recording_canvas.h"
#include "spy_game.h"
#include "runtime/exception.h"

namespace {

frame_input up() { return {}; }
frame_input down_at(int32_t x, int32_t y) { return {true, x, y, {}}; }
frame_input up_at(int32_t x, int32_t y) { return {false, x, y, {}}; }
frame_input keys(std::set<std::string> pressed) { return {false, 500, 400, std::move(pressed)}; }

struct loop_run {
    recording_canvas canvas;
    scripted_clock clock;
    int status = -1;

    explicit loop_run(std::vector<frame_input> script, std::vector<int32_t> readings = {0}) {
        canvas.script = std::move(script);
        clock.readings = std::move(readings);
    }
    loop_run& run(golf_game& game) {
        status = run_frame_loop(game, canvas, clock);
        return *this;
    }
    bool aim_line_in(int frame) const {
        for (const auto& call : canvas.frame_calls(frame))
            if (call.name == "DrawLineRgba" && call.args[5] == 253 && call.args[8] == 210) return true;
        return false;
    }
};

TEST(frame_loop, frame_asks_for_input_steps_the_game_and_draws) {
    spy_game game;
    loop_run loop({up(), up()}, {0, 1000, 1020});
    loop.run(game);
    EXPECT_EQ(loop.status, 0);

    const auto& calls = loop.canvas.calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), (canvas_call{"OpenWindow", {1000, 700, 0}, "Kelvaro / Quon + Vantrel"}));
    const auto first = loop.canvas.frame_calls(0);
    ASSERT_EQ(first.size(), 2433u);
    EXPECT_EQ(first[0].name, "primary_window_open");
    EXPECT_EQ(first[1], (canvas_call{"MouseDown", {}, "LEFT"}));
    EXPECT_EQ(first[2], (canvas_call{"KeyPressed", {}, "R"}));
    EXPECT_EQ(first[3], (canvas_call{"KeyPressed", {}, "N"}));
    EXPECT_EQ(first[4].name, "BeginFrame");
    EXPECT_EQ(first[2431].name, "EndFrame");
    EXPECT_EQ(first[2432], (canvas_call{"KeyPressed", {}, "ESCAPE"}));

    // After the script the loop head finds the window gone.
    const auto last = loop.canvas.frame_calls(2);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[1].name, "CloseAllWindows");
    EXPECT_EQ(loop.clock.pauses, 2);

    // The first reading was taken before the window opened: 1000 ms clamps to 0.033 s.
    ASSERT_EQ(game.step_dts.size(), 2u);
    EXPECT_EQ(game.step_dts[0], 0.033f);
    EXPECT_EQ(game.step_dts[1], 0.02f);
}

// Notes how many canvas calls came before each clock reading.
struct witness_clock : scripted_clock {
    const recording_canvas* canvas = nullptr;
    std::vector<std::size_t> calls_before;
    int32_t now_milliseconds() override {
        calls_before.push_back(canvas->calls.size());
        return scripted_clock::now_milliseconds();
    }
};

TEST(frame_loop, start_time_is_read_before_the_window_opens_and_frame_times_after_the_loop_head) {
    spy_game game;
    recording_canvas canvas;
    canvas.script = {up(), up()};
    witness_clock clock;
    clock.canvas = &canvas;
    run_frame_loop(game, canvas, clock);
    ASSERT_EQ(clock.calls_before.size(), 3u);
    EXPECT_EQ(clock.calls_before[0], 0u);
    EXPECT_EQ(clock.calls_before[1], 2u) << "OpenWindow, then the first loop head";
    EXPECT_EQ(canvas.calls[clock.calls_before[2] - 1].name, "primary_window_open");
}

TEST(frame_loop, window_gone_at_the_first_loop_head_draws_nothing) {
    spy_game game;
    loop_run loop({});
    loop.run(game);
    EXPECT_EQ(loop.status, 0);
    ASSERT_EQ(loop.canvas.calls.size(), 3u);
    EXPECT_EQ(loop.canvas.calls[2].name, "CloseAllWindows");
    EXPECT_TRUE(game.step_dts.empty());
    EXPECT_EQ(loop.clock.pauses, 0);
}

TEST(frame_loop, frame_time_is_a_wrapping_difference_clamped_to_33_ms) {
    struct dt_case {
        int32_t now;
        int32_t last;
        float seconds;
    };
    const std::vector<dt_case> cases = {
        {10, 0, 0.01f},
        {33, 0, 0.033f},
        {34, 0, 0.033f},
        {0, 0, 0.0f},
        {0, 1, 0.0f},                          // clock stepped back
        {INT32_MIN + 4, INT32_MAX - 5, 0.01f},  // across the 32-bit wrap
        {INT32_MAX, INT32_MIN, 0.0f},           // -1 after wrapping
        {INT32_MIN, INT32_MAX, 0.001f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(frame_seconds(c.now, c.last), c.seconds) << c.now << " - " << c.last;
    }
}

TEST(frame_loop, wind_swings_between_minus_4_and_10_with_play_time) {
    spy_game game;
    std::vector<int32_t> readings;
    const int frames = 480;  // 15.84 s of play, past the wind's lowest point
    for (int i = 0; i <= frames; ++i) readings.push_back(33 * i);
    loop_run loop(std::vector<frame_input>(frames), readings);
    loop.run(game);
    ASSERT_EQ(game.step_winds.size(), static_cast<std::size_t>(frames));
    float lowest = 100.0f, highest = -100.0f;
    for (float wind : game.step_winds) {
        lowest = std::min(lowest, wind);
        highest = std::max(highest, wind);
    }
    EXPECT_GT(game.step_winds.front(), 3.0f);
    EXPECT_LT(game.step_winds.front(), 3.1f);
    EXPECT_NEAR(highest, 10.0f, 0.01f);
    EXPECT_NEAR(lowest, -4.0f, 0.01f);
}

TEST(frame_loop, press_hold_and_release_in_the_band_strike_one_shot) {
    spy_game game;
    loop_run loop({up(), down_at(300, 400), down_at(320, 420), down_at(500, 300), up_at(520, 430), up()});
    loop.run(game);
    ASSERT_EQ(game.shots.size(), 1u);
    EXPECT_EQ(game.shots[0].x, 520.0f);
    EXPECT_EQ(game.shots[0].y, 430.0f);
    EXPECT_EQ(game.strokes, 1);
    const std::vector<bool> aim_line = {false, true, true, true, false, false};
    for (int frame = 0; frame < 6; ++frame) EXPECT_EQ(loop.aim_line_in(frame), aim_line[frame]) << frame;

    // At the release the pointer is read x first, before the keys.
    const auto release = loop.canvas.frame_calls(4);
    EXPECT_EQ(release[2].name, "MouseX");
    EXPECT_EQ(release[3].name, "MouseY");
    EXPECT_EQ(release[4].text, "R");
}

TEST(frame_loop, a_press_aims_only_inside_the_band_with_the_ball_nearly_still) {
    struct press_case {
        int32_t y;
        golf_vector velocity;
        bool aims;
    };
    const std::vector<press_case> cases = {
        {166, {0.0f, 0.0f}, true},   {597, {0.0f, 0.0f}, true},  {165, {0.0f, 0.0f}, false},
        {598, {0.0f, 0.0f}, false},  {-1, {0.0f, 0.0f}, false},  {400, {2.9f, 0.0f}, true},
        {400, {3.0f, 0.0f}, false},  {400, {60.0f, 0.0f}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y << ", speed " << c.velocity.x);
        spy_game game;
        game.velocity = c.velocity;
        loop_run loop({down_at(400, c.y), down_at(400, c.y), up_at(600, 300)});
        loop.run(game);
        EXPECT_EQ(loop.aim_line_in(0), c.aims);
        EXPECT_EQ(loop.aim_line_in(1), c.aims);
        EXPECT_EQ(game.shots.size(), c.aims ? 1u : 0u);
    }
}

TEST(frame_loop, losing_the_foreground_while_aiming_shoots_toward_minus_one) {
    spy_game game;
    loop_run loop({down_at(400, 300), up_at(-1, -1)});
    loop.run(game);
    ASSERT_EQ(game.shots.size(), 1u);
    EXPECT_EQ(game.shots[0].x, -1.0f);
    EXPECT_EQ(game.shots[0].y, -1.0f);
    EXPECT_EQ(game.strokes, 1);
}

TEST(frame_loop, reset_comes_before_next_green_in_one_frame) {
    spy_game game;
    hole_ball(game);
    ASSERT_TRUE(game.in_cup);
    loop_run loop({keys({"R", "N"})});
    loop.run(game);
    EXPECT_EQ(game.resets, 1);
    EXPECT_EQ(game.next_greens, 1);
    EXPECT_EQ(game.green, 1) << "next_green found no holed ball after the reset";
    EXPECT_FALSE(game.in_cup);

    spy_game shot_then_reset;
    loop_run second({down_at(400, 300), {false, 500, 450, {"R"}}});
    second.run(shot_then_reset);
    EXPECT_EQ(shot_then_reset.shots.size(), 1u);
    EXPECT_EQ(shot_then_reset.strokes, 0) << "the reset clears the shot of the same frame";
    EXPECT_EQ(shot_then_reset.ball.x, 240.0f);
}

TEST(frame_loop, escape_ends_the_loop_after_its_frame_is_drawn) {
    spy_game game;
    loop_run loop({up(), keys({"ESCAPE"}), up(), up()});
    loop.run(game);
    EXPECT_EQ(loop.status, 0);
    EXPECT_EQ(game.step_dts.size(), 2u);
    EXPECT_EQ(loop.clock.pauses, 1);
    const auto& calls = loop.canvas.calls;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 3].name, "EndFrame");
    EXPECT_EQ(calls[calls.size() - 2], (canvas_call{"KeyPressed", {}, "ESCAPE"}));
    EXPECT_EQ(calls.back().name, "CloseAllWindows");
}

// A canvas whose window vanishes during a frame, as the runtime reports it.
struct failing_canvas : recording_canvas {
    void EndFrame() override {
        runtime_exception_payload payload;
        payload.module = "window.canvas";
        payload.message = "window/canvas runtime window is not open for EndFrame";
        throw kiro_runtime_exception(std::move(payload));
    }
};

TEST(frame_loop, runtime_failure_leaves_the_loop_without_closing_windows) {
    spy_game game;
    failing_canvas canvas;
    canvas.script = {up(), up()};
    scripted_clock clock;
    try {
        run_frame_loop(game, canvas, clock);
        FAIL() << "the failure did not propagate";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "window.canvas: window/canvas runtime window is not open for EndFrame");
    }
    EXPECT_NE(canvas.calls.back().name, "CloseAllWindows");
    EXPECT_EQ(clock.pauses, 0);
}

}  // namespace
