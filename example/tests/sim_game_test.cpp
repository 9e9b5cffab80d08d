// The game through the real window runtime on the simulated desktop.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "example/entry_point.h"
#include "example/frame_clock.h"
#include "example/frame_loop.h"
#include "example/window_game_canvas.h"
#include "platform/sim/sim.h"
#include "spy_game.h"
#include "window_canvas/window_registry.h"

namespace {

HWND game_window() {
    window_registry& registry = window_registry::instance();
    window_runtime* primary = registry.find(registry.primary_id);
    return primary ? primary->window_handle : nullptr;
}

// Advances 16 ms a reading; between frames runs the step of the script for the
// frame that just ended (1-based), then closes the window after the last one.
class scripted_desktop : public frame_clock {
public:
    std::vector<std::function<void(HWND)>> between_frames;

    int32_t now_milliseconds() override { return now_ += 16; }
    void pause() override {
        const HWND window = game_window();
        if (frames_ < between_frames.size()) between_frames[frames_](window);
        if (++frames_ >= between_frames.size()) sim_request_close(window);
    }

private:
    int32_t now_ = 0;
    std::size_t frames_ = 0;
};

void focus(HWND window) {
    sim_set_foreground(window);
    sim_set_focus(window);
}

// Puts the cursor on a client point of the game window and sets the left button.
void pointer(HWND window, int x, int y, bool down) {
    const RECT client = sim_window_client(window);
    sim_set_cursor_pos({client.left + x, client.top + y});
    sim_set_key_down(VK_LBUTTON, down);
}

// glBegin count of each frame that drew shapes, frames starting at their glClear
// (the repaints of a newly opened window clear and draw nothing).
std::vector<int> shapes_per_frame() {
    std::vector<int> frames;
    for (const auto& call : sim_gl_calls()) {
        if (call.name == "glClear") frames.push_back(0);
        if (call.name == "glBegin" && !frames.empty()) ++frames.back();
    }
    std::erase(frames, 0);
    return frames;
}

std::vector<std::string> texts_drawn() {
    std::vector<std::string> texts;
    for (const auto& call : sim_gl_calls_named("glCallLists")) texts.push_back(call.bytes);
    return texts;
}

class sim_game : public testing::Test {
protected:
    void SetUp() override {
        unsetenv("QUON_EXAMPLE_TEST");
        sim_clear_gl_calls();
    }
};

TEST_F(sim_game, first_frame_draws_the_scene_and_a_close_at_the_loop_head_ends_with_0) {
    window_game_canvas canvas;
    scripted_desktop desktop;
    desktop.between_frames = {[](HWND window) { focus(window); }};
    testing::internal::CaptureStderr();
    const int status = run_kelvaro(canvas, desktop);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(status, 0);

    const std::vector<std::string> texts = texts_drawn();
    const std::vector<std::string> expected = {"QUON / OPEN SOURCE PLAYGROUND",
                                               "Kelvaro",
                                               "An island, a golf ball, and the softest kind of competition.",
                                               "GREEN 1 / 3     STROKES 0",
                                               "Wind 3 / positive blows right",
                                               "Aim for a gentle finish.",
                                               "Hold + aim + release / N next / R reset"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(shapes_per_frame(), std::vector<int>{2417}) << "one immediate-mode shape per scene call";
    const auto scissors = sim_gl_calls_named("glScissor");
    ASSERT_EQ(scissors.size(), 1u);
    EXPECT_EQ(scissors[0].args, (std::vector<double>{0, 96, 1000, 450}));

    window_registry& registry = window_registry::instance();
    EXPECT_EQ(registry.primary_id, 0) << "every window was closed";
}

// Asks the window to close just before one named call of the frame, so that the
// call's own pump handles the request.
class closing_canvas : public window_game_canvas {
public:
    explicit closing_canvas(std::string call) : call_(std::move(call)) {}

    void BeginFrame(int64_t r, int64_t g, int64_t b) override {
        close_before("BeginFrame");
        window_game_canvas::BeginFrame(r, g, b);
    }
    void EndFrame() override {
        close_before("EndFrame");
        window_game_canvas::EndFrame();
    }
    void SetScissor(int32_t x, int32_t y, int32_t w, int32_t h) override {
        close_before("SetScissor");
        window_game_canvas::SetScissor(x, y, w, h);
    }
    void ClearScissor() override {
        close_before("ClearScissor");
        window_game_canvas::ClearScissor();
    }
    void DrawRectRgba(int64_t x, int64_t y, int64_t w, int64_t h, int64_t r, int64_t g, int64_t b) override {
        close_before("DrawRectRgba");
        window_game_canvas::DrawRectRgba(x, y, w, h, r, g, b);
    }
    void DrawLineRgba(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t w, int64_t r, int64_t g, int64_t b,
                      int64_t a) override {
        close_before("DrawLineRgba");
        window_game_canvas::DrawLineRgba(x0, y0, x1, y1, w, r, g, b, a);
    }
    void DrawRectGradientVRgba(int64_t x, int64_t y, int64_t w, int64_t h, int64_t tr, int64_t tg, int64_t tb,
                               int64_t ta, int64_t br, int64_t bg, int64_t bb, int64_t ba) override {
        close_before("DrawRectGradientVRgba");
        window_game_canvas::DrawRectGradientVRgba(x, y, w, h, tr, tg, tb, ta, br, bg, bb, ba);
    }
    void DrawRoundedRectRgba(int64_t x, int64_t y, int64_t w, int64_t h, int64_t radius, int64_t r, int64_t g,
                             int64_t b, int64_t a) override {
        close_before("DrawRoundedRectRgba");
        window_game_canvas::DrawRoundedRectRgba(x, y, w, h, radius, r, g, b, a);
    }
    void DrawTextStyled(std::string_view text, int32_t x, int32_t y, int32_t size, int32_t r, int32_t g,
                        int32_t b) override {
        close_before("DrawTextStyled");
        window_game_canvas::DrawTextStyled(text, x, y, size, r, g, b);
    }
    int32_t MouseY() override {
        close_before("MouseY");
        return window_game_canvas::MouseY();
    }
    bool KeyPressed(std::string_view key) override {
        close_before("KeyPressed " + std::string(key));
        return window_game_canvas::KeyPressed(key);
    }

private:
    void close_before(const std::string& call) {
        if (call == call_ && !closed_) {
            closed_ = true;
            sim_request_close(game_window());
        }
    }
    std::string call_;
    bool closed_ = false;
};

struct close_case {
    const char* before;
    int status;
    const char* err;
};

void PrintTo(const close_case& c, std::ostream* out) { *out << c.before; }

class sim_game_close : public sim_game, public testing::WithParamInterface<close_case> {};

TEST_P(sim_game_close, inside_a_frame_ends_with_1_and_names_the_call_that_found_it) {
    const close_case& c = GetParam();
    closing_canvas canvas(c.before);
    scripted_desktop desktop;
    // The button goes down after frame 2, so the press of frame 3 reads the pointer.
    desktop.between_frames = {[](HWND window) { focus(window); },
                              [](HWND window) { pointer(window, 400, 300, true); }, [](HWND) {}};
    testing::internal::CaptureStderr();
    const int status = run_kelvaro(canvas, desktop);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
    EXPECT_EQ(status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    before_each_call, sim_game_close,
    testing::Values(
        close_case{"BeginFrame", 1, "window.canvas: window/canvas runtime window is not open for BeginFrame\n"},
        // The text call checks the window twice; its own first pump sees the request.
        close_case{"DrawTextStyled", 1,
                   "window.canvas: window/canvas runtime window is not open for DrawTextStyled\n"},
        close_case{"SetScissor", 1, "window.canvas: window/canvas runtime window is not open for SetScissor\n"},
        close_case{"DrawRectGradientVRgba", 1,
                   "window.canvas: window/canvas runtime window is not open for DrawRectGradientVRgba\n"},
        close_case{"DrawLineRgba", 1, "window.canvas: window/canvas runtime window is not open for DrawLineRgba\n"},
        close_case{"DrawRectRgba", 1, "window.canvas: window/canvas runtime window is not open for DrawRectRgba\n"},
        close_case{"DrawRoundedRectRgba", 1,
                   "window.canvas: window/canvas runtime window is not open for DrawRoundedRectRgba\n"},
        close_case{"ClearScissor", 1, "window.canvas: window/canvas runtime window is not open for ClearScissor\n"},
        close_case{"EndFrame", 1, "window.canvas: window/canvas runtime window is not open for EndFrame\n"},
        close_case{"MouseY", 1, "window.canvas: window/canvas runtime window is not open for MouseY\n"},
        // KeyPressed pumps but never fails: the next guarded call reports the closed window.
        close_case{"KeyPressed N", 1, "window.canvas: window/canvas runtime window is not open for BeginFrame\n"},
        // ESCAPE's pump sees the request after the frame: the next loop head ends the run.
        close_case{"KeyPressed ESCAPE", 0, ""}),
    [](const testing::TestParamInfo<close_case>& info) {
        std::string name = info.param.before;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST_F(sim_game, press_hold_and_release_shoot_once_with_the_aim_line_between) {
    spy_game game;
    window_game_canvas canvas;
    scripted_desktop desktop;
    desktop.between_frames = {
        [](HWND window) { focus(window); },
        [](HWND window) { pointer(window, 400, 300, true); },   // press seen in frame 3
        [](HWND window) { pointer(window, 420, 320, true); },   // hold
        [](HWND window) { pointer(window, 500, 455, false); },  // release in frame 5
        [](HWND) {},
    };
    EXPECT_EQ(run_frame_loop(game, canvas, desktop), 0);
    ASSERT_EQ(game.shots.size(), 1u);
    EXPECT_EQ(game.shots[0].x, 500.0f);
    EXPECT_EQ(game.shots[0].y, 455.0f);
    EXPECT_EQ(game.strokes, 1);
    EXPECT_EQ(shapes_per_frame(), (std::vector<int>{2417, 2417, 2418, 2418, 2417}));
}

TEST_F(sim_game, losing_the_foreground_while_aiming_shoots_toward_minus_one) {
    spy_game game;
    window_game_canvas canvas;
    scripted_desktop desktop;
    desktop.between_frames = {
        [](HWND window) { focus(window); },
        [](HWND window) { pointer(window, 400, 300, true); },
        [](HWND) { sim_set_foreground(sim_foreign_window()); },
        [](HWND) {},
    };
    EXPECT_EQ(run_frame_loop(game, canvas, desktop), 0);
    ASSERT_EQ(game.shots.size(), 1u);
    EXPECT_EQ(game.shots[0].x, -1.0f);
    EXPECT_EQ(game.shots[0].y, -1.0f);
}

TEST_F(sim_game, r_and_n_in_one_frame_reset_the_round_and_find_no_holed_ball) {
    spy_game game;
    hole_ball(game);
    game.strokes = 3;
    window_game_canvas canvas;
    scripted_desktop desktop;
    desktop.between_frames = {
        [](HWND window) { focus(window); },
        [](HWND window) {
            for (WPARAM key : {WPARAM{'R'}, WPARAM{'N'}}) {
                sim_key(window, key, true);
                sim_key(window, key, false);
            }
        },
        [](HWND) {},
    };
    EXPECT_EQ(run_frame_loop(game, canvas, desktop), 0);
    EXPECT_EQ(game.resets, 1);
    EXPECT_EQ(game.next_greens, 1);
    EXPECT_EQ(game.green, 1);
    EXPECT_EQ(game.strokes, 0);
    EXPECT_FALSE(game.in_cup);
}

}  // namespace
