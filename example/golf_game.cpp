#include "example/golf_game.h"

#include <algorithm>

#include "runtime/bounded_math.h"

namespace {

constexpr golf_vector tee{240.0f, 450.0f};
constexpr golf_vector cup_green_1{735.0f, 300.0f};
constexpr golf_vector cup_green_2{720.0f, 440.0f};
constexpr golf_vector cup_green_3{475.0f, 235.0f};
constexpr golf_vector bunker_centre{542.0f, 388.0f};
constexpr float bunker_radius = 51.0f;
constexpr float bunker_friction = 2.9f;
constexpr float fairway_friction = 0.68f;
constexpr golf_vector island_centre{500.0f, 390.0f};
constexpr float island_half_x = 431.0f;
constexpr float island_half_y = 213.0f;
constexpr float still_speed = 0.05f;
constexpr float stop_speed = 6.0f;
constexpr float cup_radius = 13.0f;
constexpr float cup_capture_speed = 85.0f;
constexpr float shot_max_speed = 3.0f;
constexpr float shot_min_distance = 2.0f;
constexpr float shot_power_per_pixel = 1.65f;
constexpr float shot_max_power = 420.0f;

// One more, wrapping at the 32-bit limit instead of overflowing: the counters are
// public fields, so any value may be there.
void count_up(std::int32_t& counter) {
    counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + 1u);
}

}  // namespace

golf_game::golf_game() { golf_game::reset(); }

golf_game::~golf_game() = default;

void golf_game::reset() {
    velocity = {0.0f, 0.0f};
    ball = tee;
    lie = tee;
    cup = cup_green_1;
    strokes = 0;
    green = 1;
    in_cup = false;
    round_complete = false;
    message = "Aim for a gentle finish.";
}

float golf_game::speed() const { return bounded_length(velocity.x, velocity.y); }

void golf_game::shot(float target_x, float target_y) {
    if (speed() > shot_max_speed || in_cup || round_complete) return;
    const float dx = target_x - ball.x;
    const float dy = target_y - ball.y;
    const float distance = bounded_length(dx, dy);
    if (distance < shot_min_distance) return;
    count_up(strokes);
    lie = ball;
    const float power = std::min(shot_power_per_pixel * distance, shot_max_power);
    velocity.x = (dx / distance) * power;
    velocity.y = (dy / distance) * power;
    message = "Let the breeze carry it.";
}

void golf_game::step(float dt, float wind) {
    if (in_cup || round_complete || speed() < still_speed) {
        velocity = {0.0f, 0.0f};
        return;
    }
    const float friction =
        bounded_distance(ball.x, ball.y, bunker_centre.x, bunker_centre.y) < bunker_radius
            ? bunker_friction
            : fairway_friction;
    velocity.x = velocity.x + (wind - friction * velocity.x) * dt;
    ball.x = ball.x + velocity.x * dt;
    velocity.y = velocity.y - (friction * velocity.y) * dt;
    ball.y = ball.y + velocity.y * dt;
    if (speed() < stop_speed) velocity = {0.0f, 0.0f};

    const float ex = (ball.x - island_centre.x) / island_half_x;
    const float ey = (ball.y - island_centre.y) / island_half_y;
    if (ex * ex + ey * ey > 1.0f) {
        count_up(strokes);
        velocity = {0.0f, 0.0f};
        ball = lie;
        message = "Into the water. Back to your lie (+1).";
    }

    if (bounded_distance(ball.x, ball.y, cup.x, cup.y) < cup_radius && speed() < cup_capture_speed) {
        in_cup = true;
        ball = cup;
        velocity = {0.0f, 0.0f};
        message = "In the cup! Press N for the next green.";
        if (green == 3) {
            round_complete = true;
            message = "Three greens complete. R starts a new round.";
        }
    }
}

void golf_game::next_green() {
    if (!in_cup || round_complete) return;
    in_cup = false;
    count_up(green);
    ball = tee;
    lie = tee;
    cup = green == 3 ? cup_green_3 : cup_green_2;
    message = "A fresh green. Read the wind.";
}
