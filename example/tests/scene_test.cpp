#include "example/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "example/golf_game.h"
#include "recording_canvas.h"

namespace {

using call_list = std::vector<canvas_call>;

canvas_call rect(int64_t x, int64_t y, int64_t w, int64_t h, int64_t r, int64_t g, int64_t b) {
    return {"DrawRectRgba", {x, y, w, h, r, g, b}, ""};
}
canvas_call line(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t w, int64_t r, int64_t g, int64_t b,
                 int64_t a) {
    return {"DrawLineRgba", {x0, y0, x1, y1, w, r, g, b, a}, ""};
}
canvas_call text(std::string t, int64_t x, int64_t y, int64_t size, int64_t r, int64_t g, int64_t b) {
    return {"DrawTextStyled", {x, y, size, r, g, b}, std::move(t)};
}
canvas_call caption(std::string t, int64_t x, int64_t y) { return text(std::move(t), x, y, 150, 139, 169, 169); }

// Names with their run lengths, e.g. {"DrawRectRgba", 441}.
std::vector<std::pair<std::string, int>> runs(const call_list& calls) {
    std::vector<std::pair<std::string, int>> result;
    for (const auto& call : calls) {
        if (!result.empty() && result.back().first == call.name) {
            ++result.back().second;
        } else {
            result.emplace_back(call.name, 1);
        }
    }
    return result;
}

call_list draw(const golf_game& game, float t = 0.0f, float wind = 3.0f, bool aiming = false, int32_t mouse_x = -1,
               int32_t mouse_y = -1) {
    recording_canvas canvas;
    canvas.script = {frame_input{true, mouse_x, mouse_y, {}}};
    canvas.OpenWindow("", 0, 0, 0);
    canvas.primary_window_open();
    canvas.calls.clear();
    draw_frame(canvas, game, t, wind, aiming);
    return canvas.calls;
}

// Index of the first call equal to `wanted`, or -1.
int index_of(const call_list& calls, const canvas_call& wanted) {
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i] == wanted) return static_cast<int>(i);
    return -1;
}

// Index of the first breeze segment in a frame: after the blades and the six trees.
constexpr int breeze_start = 1130 - 1 + 85 + 6 * 172;

TEST(scene, frame_issues_every_shape_in_order) {
    const golf_game game;
    const call_list calls = draw(game);
    ASSERT_EQ(calls.size(), 2428u);

    const int tree_discs = 69 + 61 + 41;
    std::vector<std::pair<std::string, int>> expected = {
        {"BeginFrame", 1},          {"DrawTextStyled", 3},
        {"SetScissor", 1},          {"DrawRectGradientVRgba", 1},
        {"DrawLineRgba", 65},       {"DrawRectRgba", 441 + 415 + 109 + 93},
        {"DrawLineRgba", 85},
    };
    for (int k = 0; k < 6; ++k) {
        expected.emplace_back("DrawRoundedRectRgba", 1);
        expected.emplace_back("DrawRectRgba", tree_discs);
    }
    const std::vector<std::pair<std::string, int>> tail = {
        {"DrawLineRgba", 108}, {"DrawRectRgba", 23}, {"DrawLineRgba", 1},   {"DrawRectRgba", 1 + 19 + 17 + 7},
        {"ClearScissor", 1},   {"DrawTextStyled", 4}, {"EndFrame", 1}};
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(runs(calls), expected);

    const auto scissor = std::find_if(calls.begin(), calls.end(), [](auto& c) { return c.name == "SetScissor"; });
    const auto clear = std::find_if(calls.begin(), calls.end(), [](auto& c) { return c.name == "ClearScissor"; });
    EXPECT_EQ(clear - scissor - 1, 2417) << "scene calls inside the play band";
}

TEST(scene, fixed_shapes_have_their_places_and_colours) {
    golf_game game;
    game.strokes = 0;
    const call_list calls = draw(game, 0.0f, 3.0f);

    const call_list head = {{"BeginFrame", {17, 27, 34}, ""},
                            caption("QUON / OPEN SOURCE PLAYGROUND", 34, 25),
                            text("Kelvaro", 34, 57, 330, 221, 233, 230),
                            caption("An island, a golf ball, and the softest kind of competition.", 36, 111),
                            {"SetScissor", {0, 154, 1000, 450}, ""},
                            {"DrawRectGradientVRgba", {0, 154, 1000, 450, 58, 167, 184, 255, 29, 111, 144, 255}, ""}};
    EXPECT_EQ(call_list(calls.begin(), calls.begin() + 6), head);

    const std::vector<std::pair<int, canvas_call>> placed = {
        // Waves at t = 0: the first one unshifted, the second 8 right of (181, 245).
        {6, line(-50, 172, -19, 170, 2, 151, 224, 218, 95)},
        {7, line(139, 245, 170, 243, 2, 151, 224, 218, 95)},
        // Sand from row 174 to 614, widest at 394.
        {71, rect(500, 174, 0, 1, 235, 214, 157)},
        {72, rect(458, 175, 84, 1, 235, 214, 157)},
        {71 + 220, rect(60, 394, 880, 1, 235, 214, 157)},
        {71 + 439, rect(458, 613, 84, 1, 235, 214, 157)},
        {71 + 440, rect(500, 614, 0, 1, 235, 214, 157)},
        // Grass from row 178 (green 154) to 592 (green 194).
        {512, rect(500, 178, 0, 1, 103, 154, 112)},
        {513, rect(458, 179, 84, 1, 103, 154, 112)},
        {512 + 207, rect(74, 385, 852, 1, 103, 174, 112)},
        {512 + 413, rect(458, 591, 84, 1, 103, 194, 112)},
        {512 + 414, rect(500, 592, 0, 1, 103, 194, 112)},
        // Bunker: the outer disc's top row, then the inner disc's middle row.
        {927, rect(542, 334, 1, 1, 213, 197, 133)},
        {927 + 109 + 46, rect(492, 380, 93, 1, 231, 216, 161)},
        // Grass blade 1 at t = 0 leans 3 + 3 to the right.
        {1130, line(257, 277, 263, 269, 2, 82, 147, 95, 170)},
    };
    for (const auto& [index, call] : placed) EXPECT_EQ(calls[static_cast<std::size_t>(index)], call) << index;

    // Trees: trunks under three crowns, three in the north row, three in the south.
    const std::vector<std::pair<int64_t, int64_t>> trunks = {{155, 270}, {274, 270}, {393, 270},
                                                             {512, 520}, {631, 520}, {750, 520}};
    int previous = -1;
    for (const auto& [x, y] : trunks) {
        const int at = index_of(calls, {"DrawRoundedRectRgba", {x, y, 20, 37, 5, 126, 104, 78, 255}, ""});
        ASSERT_GT(at, previous) << "trunk at " << x;
        EXPECT_EQ(calls[static_cast<std::size_t>(at + 1)], rect(x + 15, y - 39, 1, 1, 56, 116, 83));
        EXPECT_EQ(calls[static_cast<std::size_t>(at + 1 + 69 + 61 + 20)], rect(x - 23, y - 24, 41, 1, 115, 180, 113));
        previous = at;
    }

    // Breeze at t = 0: streak 0 starts at x -50; streak 8 (v = 1112) has wrapped to -38.
    EXPECT_EQ(calls[static_cast<std::size_t>(breeze_start)], line(-50, 224, -45, 224, 2, 225, 246, 213, 80));
    EXPECT_EQ(calls[static_cast<std::size_t>(breeze_start + 8 * 12)],
              line(-38, 536, -33, 536, 2, 225, 246, 213, 80));

    // Cup of green 1 with its pole and flag, then the ball on the tee.
    const int cup = breeze_start + 108;
    EXPECT_EQ(calls[static_cast<std::size_t>(cup)], rect(735, 289, 1, 1, 32, 83, 66));
    EXPECT_EQ(calls[static_cast<std::size_t>(cup + 11)], rect(724, 300, 23, 1, 32, 83, 66));
    EXPECT_EQ(calls[static_cast<std::size_t>(cup + 23)], line(735, 300, 735, 238, 3, 243, 236, 203, 255));
    EXPECT_EQ(calls[static_cast<std::size_t>(cup + 24)], rect(736, 239, 30, 18, 225, 131, 105));
    const int ball = cup + 25;
    EXPECT_EQ(calls[static_cast<std::size_t>(ball)], rect(243, 446, 1, 1, 71, 123, 95));
    EXPECT_EQ(calls[static_cast<std::size_t>(ball + 19 + 8)], rect(232, 450, 17, 1, 251, 244, 219));
    const call_list glint = {rect(238, 444, 1, 1, 255, 255, 245), rect(236, 445, 5, 1, 255, 255, 245),
                             rect(235, 446, 7, 1, 255, 255, 245), rect(235, 447, 7, 1, 255, 255, 245),
                             rect(235, 448, 7, 1, 255, 255, 245), rect(236, 449, 5, 1, 255, 255, 245),
                             rect(238, 450, 1, 1, 255, 255, 245)};
    EXPECT_EQ(call_list(calls.begin() + ball + 36, calls.begin() + ball + 43), glint);

    const call_list heads_up = {{"ClearScissor", {}, ""},
                                text("GREEN 1 / 3     STROKES 0", 36, 621, 250, 221, 233, 230),
                                caption("Wind 3 / positive blows right", 640, 625),
                                caption("Aim for a gentle finish.", 36, 657),
                                caption("Hold + aim + release / N next / R reset", 640, 657),
                                {"EndFrame", {}, ""}};
    EXPECT_EQ(call_list(calls.end() - 6, calls.end()), heads_up);
}

TEST(scene, aim_line_runs_from_the_ball_to_the_pointer) {
    golf_game game;
    game.ball = {300.4f, 420.5f};
    const call_list calls = draw(game, 0.0f, 3.0f, true, 812, 120);
    ASSERT_EQ(calls.size(), 2431u);
    const call_list aim = {{"MouseX", {}, ""},
                           {"MouseY", {}, ""},
                           line(300, 421, 812, 120, 2, 253, 249, 218, 210),
                           {"ClearScissor", {}, ""}};
    EXPECT_EQ(call_list(calls.end() - 9, calls.end() - 5), aim);
}

TEST(scene, heads_up_texts_show_the_game_in_plain_decimals) {
    struct hud_case {
        int32_t green;
        int32_t strokes;
        float wind;
        const char* score;
        const char* wind_text;
    };
    const std::vector<hud_case> cases = {
        {1, 0, -3.6f, "GREEN 1 / 3     STROKES 0", "Wind -4 / positive blows right"},
        {3, 12, 2.5f, "GREEN 3 / 3     STROKES 12", "Wind 3 / positive blows right"},
        {2, 5, -0.4f, "GREEN 2 / 3     STROKES 5", "Wind 0 / positive blows right"},
        {2, 105, 9.99f, "GREEN 2 / 3     STROKES 105", "Wind 10 / positive blows right"},
    };
    for (const auto& c : cases) {
        golf_game game;
        game.green = c.green;
        game.strokes = c.strokes;
        game.message = "Into the water. Back to your lie (+1).";
        const call_list calls = draw(game, 1.0f, c.wind);
        EXPECT_EQ(calls[calls.size() - 5].text, c.score);
        EXPECT_EQ(calls[calls.size() - 4].text, c.wind_text);
        EXPECT_EQ(calls[calls.size() - 3].text, game.message);
    }
}

TEST(scene, holed_ball_covers_the_cup) {
    golf_game game;
    game.ball = game.cup;
    const call_list calls = draw(game);
    const int cup_middle = index_of(calls, rect(724, 300, 23, 1, 32, 83, 66));
    const int ball_middle = index_of(calls, rect(727, 300, 17, 1, 251, 244, 219));
    ASSERT_GE(cup_middle, 0);
    EXPECT_GT(ball_middle, cup_middle);
}

TEST(scene, animations_freeze_one_by_one_as_their_sine_leaves_its_range) {
    const golf_game game;
    // t = 2100: every blade's argument j + 2t is past 4096, the waves' i + t is not.
    const call_list late = draw(game, 2100.0f);
    EXPECT_EQ(late[1129], line(190, 236, 193, 228, 2, 82, 147, 95, 170));
    EXPECT_NE(late[7], line(131, 245, 162, 243, 2, 151, 224, 218, 95));
    // t = 4100: the waves stand still too; the breeze keeps drifting (53 px/s).
    const call_list later = draw(game, 4100.0f);
    EXPECT_EQ(later[7], line(131, 245, 162, 243, 2, 151, 224, 218, 95));
    EXPECT_EQ(later[static_cast<std::size_t>(breeze_start)].args[0], 217300 - 1100 * 197 - 50);
    EXPECT_EQ(later[static_cast<std::size_t>(breeze_start)].args[1], 224) << "ripple frozen";
}

TEST(scene, play_time_and_positions_out_of_any_range_still_draw_the_whole_frame) {
    const golf_game game;
    for (float t : {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), 1.0e30f}) {
        SCOPED_TRACE(t);
        const call_list calls = draw(game, t);
        ASSERT_EQ(calls.size(), 2428u);
        // Every streak stays at its start, unrippled.
        EXPECT_EQ(calls[breeze_start], line(-50, 224, -45, 224, 2, 225, 246, 213, 80));
        EXPECT_EQ(calls[breeze_start + 8 * 12 + 11], line(5, 536, 10, 536, 2, 225, 246, 213, 80));
    }
    // Positions are held to +-1e9 pixels, NaN at 0, before they become integers.
    golf_game lost;
    lost.ball = {std::numeric_limits<float>::quiet_NaN(), 3.0e9f};
    lost.cup = {-3.0e9f, std::numeric_limits<float>::infinity()};
    const call_list calls = draw(lost, 0.0f, 3.0f, true, 10, 10);
    ASSERT_EQ(calls.size(), 2431u);
    const int cup = breeze_start + 108;
    EXPECT_EQ(calls[cup], rect(-1000000000, 1000000000 - 11, 1, 1, 32, 83, 66));
    EXPECT_EQ(calls[cup + 23], line(-1000000000, 1000000000, -1000000000, 1000000000 - 62, 3, 243, 236, 203, 255));
    EXPECT_EQ(calls[cup + 25], rect(3, 1000000000 + 5 - 9, 1, 1, 71, 123, 95));
    EXPECT_EQ(calls[calls.size() - 7], line(0, 1000000000, 10, 10, 2, 253, 249, 218, 210));
}

}  // namespace
