#include "example/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "example/golf_game.h"
#include "runtime/bounded_math.h"
#include "runtime/text.h"

namespace {

// The play band between the titles and the heads-up texts.
constexpr int32_t band_top = 154;
constexpr int32_t band_height = 450;
constexpr int32_t canvas_width = 1000;

// A model coordinate as a whole pixel. The model's fields are public, so the
// result is kept far inside the 32-bit range the shapes offset it in.
int32_t pixel_of(float coordinate) {
    constexpr float limit = 1.0e9f;
    if (std::isnan(coordinate)) return 0;
    if (coordinate > limit) coordinate = limit;
    if (coordinate < -limit) coordinate = -limit;
    return static_cast<int32_t>(lroundf(coordinate));
}

void draw_titles(game_canvas& canvas) {
    draw_caption_text(canvas, "QUON / OPEN SOURCE PLAYGROUND", 34, 25);
    draw_heading_text(canvas, "Kelvaro", 34, 57, 210);
    draw_caption_text(canvas, "An island, a golf ball, and the softest kind of competition.", 36, 111);
}

void draw_sea(game_canvas& canvas, float t) {
    canvas.DrawRectGradientVRgba(0, band_top, canvas_width, band_height, 58, 167, 184, 255, 29, 111, 144, 255);
    for (int32_t i = 0; i <= 64; ++i) {
        const int64_t m = (181 * i) % 1100;
        const int64_t n = (73 * i) % 430;
        const int64_t a = lroundf(10.0f * bounded_sine(static_cast<float>(i) + t));
        const int64_t x = m + a - 50;
        canvas.DrawLineRgba(x, n + 172, x + 31, n + 170, 2, 151, 224, 218, 95);
    }
}

void draw_island(game_canvas& canvas) {
    for (int32_t y = 174; y <= 614; ++y) {
        const float q = static_cast<float>(y - 394) / 220.0f;
        const int64_t half = lroundf(440.0f * sqrtf(1.0f - q * q));
        canvas.DrawRectRgba(500 - half, y, 2 * half, 1, 235, 214, 157);
    }
    for (int32_t y = 178; y <= 592; ++y) {
        const int32_t d = y - 385;
        const float q = static_cast<float>(d) / 207.0f;
        const int64_t half = lroundf(426.0f * sqrtf(1.0f - q * q));
        canvas.DrawRectRgba(500 - half, y, 2 * half, 1, 103, 174 + d / 10, 112);
    }
    fill_circle(canvas, 542, 388, 54, 213, 197, 133);
    fill_circle(canvas, 538, 380, 46, 231, 216, 161);
}

void draw_grass_blades(game_canvas& canvas, float t) {
    for (int32_t j = 0; j <= 84; ++j) {
        const int64_t x = (67 * j) % 620 + 190;
        const int64_t y = (41 * j) % 287 + 236;
        const int64_t a = lroundf(4.0f * bounded_sine(static_cast<float>(j) + 2.0f * t));
        canvas.DrawLineRgba(x, y, x + a + 3, y - 8, 2, 82, 147, 95, 170);
    }
}

void draw_trees(game_canvas& canvas) {
    for (int32_t k = 0; k <= 5; ++k) {
        const int32_t x = 152 + 119 * k;
        const int32_t y = k < 3 ? 270 : 520;
        canvas.DrawRoundedRectRgba(x + 3, y, 20, 37, 5, 126, 104, 78, 255);
        fill_circle(canvas, x + 18, y - 5, 34, 56, 116, 83);
        fill_circle(canvas, x + 5, y - 17, 30, 72, 148, 94);
        fill_circle(canvas, x, y - 24, 20, 115, 180, 113);
    }
}

// Largest drift lroundf and the wrap can take: long is 32 bits on Windows.
constexpr float breeze_drift_limit =
    std::min(1.0e15f, static_cast<float>(std::numeric_limits<long>::max()));

void draw_breeze(game_canvas& canvas, float t) {
    for (int32_t k = 0; k <= 8; ++k) {
        const float v = static_cast<float>(139 * k) + 53.0f * t;
        // The frame loop's play time stops growing near 1e6 s (dt <= 0.033 s); a
        // time past any pixel range leaves the streak where it starts.
        int64_t x = -50;
        if (std::fabs(v) < breeze_drift_limit) {
            x = lroundf(v) - 1100 * static_cast<int64_t>(floorf(v / 1100.0f)) - 50;
        }
        const int64_t y = 39 * k + 224;
        for (int32_t s = 0; s <= 11; ++s) {
            const int64_t a = lroundf(8.0f * bounded_sine(0.22f * static_cast<float>(s) + t));
            canvas.DrawLineRgba(x + 5 * s, y + a, x + 5 * s + 5, y + a, 2, 225, 246, 213, 80);
        }
    }
}

void draw_scene(game_canvas& canvas, const golf_game& game, float t, bool aiming) {
    draw_sea(canvas, t);
    draw_island(canvas);
    draw_grass_blades(canvas, t);
    draw_trees(canvas);
    draw_breeze(canvas, t);

    const int32_t cx = pixel_of(game.cup.x);
    const int32_t cy = pixel_of(game.cup.y);
    fill_circle(canvas, cx, cy, 11, 32, 83, 66);
    canvas.DrawLineRgba(cx, cy, cx, cy - 62, 3, 243, 236, 203, 255);
    canvas.DrawRectRgba(cx + 1, cy - 61, 30, 18, 225, 131, 105);

    const int32_t bx = pixel_of(game.ball.x);
    const int32_t by = pixel_of(game.ball.y);
    fill_circle(canvas, bx + 3, by + 5, 9, 71, 123, 95);
    fill_circle(canvas, bx, by, 8, 251, 244, 219);
    fill_circle(canvas, bx - 2, by - 3, 3, 255, 255, 245);

    if (aiming) {
        const int32_t pointer_x = canvas.MouseX();
        const int32_t pointer_y = canvas.MouseY();
        canvas.DrawLineRgba(bx, by, pointer_x, pointer_y, 2, 253, 249, 218, 210);
    }
}

void draw_heads_up(game_canvas& canvas, const golf_game& game, float wind) {
    draw_heading_text(canvas,
                      format_placeholders("GREEN {0} / 3     STROKES {1}",
                                          {std::to_string(game.green), std::to_string(game.strokes)}),
                      36, 621, 110);
    draw_caption_text(canvas,
                      format_placeholders("Wind {0} / positive blows right", {std::to_string(lroundf(wind))}), 640,
                      625);
    draw_caption_text(canvas, game.message, 36, 657);
    draw_caption_text(canvas, "Hold + aim + release / N next / R reset", 640, 657);
}

}  // namespace

void draw_heading_text(game_canvas& canvas, std::string text, int32_t x, int32_t y, int32_t size) {
    canvas.DrawTextStyled(text, x, y, size >= 150 ? 330 : 250, 221, 233, 230);
}

void draw_caption_text(game_canvas& canvas, std::string text, int32_t x, int32_t y) {
    canvas.DrawTextStyled(text, x, y, 150, 139, 169, 169);
}

void fill_circle(game_canvas& canvas, int32_t centre_x, int32_t centre_y, int32_t radius, int32_t red,
                 int32_t green, int32_t blue) {
    const int64_t r = radius;
    for (int64_t dy = -r; dy <= r; ++dy) {
        const int64_t half = lroundf(sqrtf(static_cast<float>(r * r - dy * dy)));
        canvas.DrawRectRgba(int64_t{centre_x} - half, int64_t{centre_y} + dy, 2 * half + 1, 1, red, green, blue);
    }
}

void draw_frame(game_canvas& canvas, const golf_game& game, float t, float wind, bool aiming) {
    canvas.BeginFrame(17, 27, 34);
    draw_titles(canvas);
    canvas.SetScissor(0, band_top, canvas_width, band_height);
    draw_scene(canvas, game, t, aiming);
    canvas.ClearScissor();
    draw_heads_up(canvas, game, wind);
    canvas.EndFrame();
}
