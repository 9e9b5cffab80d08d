#include "example/frame_loop.h"

#include "example/golf_game.h"
#include "example/scene.h"
#include "runtime/bounded_math.h"

namespace {

constexpr float longest_frame = 0.033f;
// Pointer rows where a press starts an aim: below the titles, above the heads-up texts.
constexpr int32_t aim_band_above = 165;
constexpr int32_t aim_band_last = 597;
constexpr float aim_speed_limit = 3.0f;

}  // namespace

float frame_seconds(int32_t now, int32_t last) {
    // Unsigned subtraction wraps where a signed one would overflow; the low 32
    // bits read as signed give the right difference across the wrap.
    const auto elapsed = static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(last));
    const float seconds = static_cast<float>(elapsed) / 1000.0f;
    if (seconds < 0.0f) return 0.0f;
    if (seconds > longest_frame) return longest_frame;
    return seconds;
}

int run_frame_loop(golf_game& game, game_canvas& canvas, frame_clock& clock) {
    int32_t last_time = clock.now_milliseconds();
    canvas.OpenWindow("Kelvaro / Quon + Vantrel", 1000, 700, 0);
    float play_time = 0.0f;
    bool button_was_down = false;
    bool aiming = false;

    while (canvas.primary_window_open()) {
        const int32_t now = clock.now_milliseconds();
        const float dt = frame_seconds(now, last_time);
        play_time += dt;
        const float wind = 3.0f + bounded_sine(0.3f * play_time) * 7.0f;

        const bool down = canvas.MouseDown("LEFT");
        if (down && !button_was_down) {
            if (canvas.MouseY() > aim_band_above && canvas.MouseY() <= aim_band_last &&
                game.speed() < aim_speed_limit) {
                aiming = true;
            }
        } else if (!down && button_was_down && aiming) {
            const auto x = static_cast<float>(canvas.MouseX());
            const auto y = static_cast<float>(canvas.MouseY());
            game.shot(x, y);
            aiming = false;
        }

        if (canvas.KeyPressed("R")) game.reset();
        if (canvas.KeyPressed("N")) game.next_green();
        game.step(dt, wind);

        draw_frame(canvas, game, play_time, wind, aiming);
        if (canvas.KeyPressed("ESCAPE")) break;
        clock.pause();
        last_time = now;
        button_was_down = down;
    }
    canvas.CloseAllWindows();
    return 0;
}
