#include "example/golf_game.h"
#include "spy_game.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr float nan_value = std::numeric_limits<float>::quiet_NaN();

void expect_fresh(const golf_game& game) {
    EXPECT_EQ(game.ball.x, 240.0f);
    EXPECT_EQ(game.ball.y, 450.0f);
    EXPECT_EQ(game.velocity.x, 0.0f);
    EXPECT_EQ(game.velocity.y, 0.0f);
    EXPECT_EQ(game.lie.x, 240.0f);
    EXPECT_EQ(game.lie.y, 450.0f);
    EXPECT_EQ(game.cup.x, 735.0f);
    EXPECT_EQ(game.cup.y, 300.0f);
    EXPECT_EQ(game.strokes, 0);
    EXPECT_EQ(game.green, 1);
    EXPECT_FALSE(game.in_cup);
    EXPECT_FALSE(game.round_complete);
    EXPECT_EQ(game.message, "Aim for a gentle finish.");
}

TEST(golf_game, starts_and_resets_on_the_tee_of_green_one) {
    golf_game game;
    expect_fresh(game);

    game.shot(400.0f, 450.0f);
    for (int i = 0; i < 10; ++i) game.step(0.016f, 5.0f);
    hole_ball(game);
    game.next_green();
    game.reset();
    expect_fresh(game);
}

TEST(golf_game, tee_shot_strikes_toward_the_target_with_bounded_power) {
    golf_game game;
    game.shot(400.0f, 450.0f);
    EXPECT_EQ(game.strokes, 1);
    EXPECT_EQ(game.velocity.x, 264.0f);
    EXPECT_EQ(game.velocity.y, 0.0f);
    EXPECT_EQ(game.lie.x, 240.0f);
    EXPECT_EQ(game.lie.y, 450.0f);
    EXPECT_EQ(game.message, "Let the breeze carry it.");

    golf_game far;
    far.shot(240.0f, 450.0f + 600.0f);
    EXPECT_EQ(far.velocity.x, 0.0f);
    EXPECT_EQ(far.velocity.y, 420.0f) << "power is capped at 420";
}

TEST(golf_game, friction_settles_the_tee_shot_on_dry_land) {
    golf_game game;
    game.shot(400.0f, 450.0f);
    int steps_to_rest = 0;
    for (int i = 1; i <= 2400; ++i) {
        game.step(0.016f, 0.0f);
        if (steps_to_rest == 0 && game.speed() == 0.0f) steps_to_rest = i;
    }
    EXPECT_EQ(steps_to_rest, 346);
    EXPECT_EQ(game.speed(), 0.0f);
    EXPECT_NEAR(game.ball.x, 615.3f, 0.05f);
    EXPECT_EQ(game.ball.y, 450.0f);
    EXPECT_EQ(game.strokes, 1) << "no water penalty";
    EXPECT_FALSE(game.in_cup);
}

TEST(golf_game, friction_is_stronger_in_the_bunker_and_wind_pushes_along_x_only) {
    struct friction_case {
        const char* name;
        golf_vector ball;
        golf_vector velocity;
        float wind;
        golf_vector velocity_after;
        golf_vector ball_after;  // semi-implicit: the new velocity moves the ball
    };
    const std::vector<friction_case> cases = {
        {"in the bunker", {542.0f, 388.0f}, {100.0f, 100.0f}, 0.0f, {71.0f, 71.0f}, {549.1f, 395.1f}},
        {"on grass with wind", {240.0f, 450.0f}, {100.0f, 100.0f}, 10.0f, {94.2f, 93.2f}, {249.42f, 459.32f}},
        // The friction is that of where the step starts, across the bunker's edge both ways.
        {"leaving the bunker", {592.5f, 388.0f}, {100.0f, 0.0f}, 0.0f, {71.0f, 0.0f}, {599.6f, 388.0f}},
        {"entering the bunker", {600.0f, 388.0f}, {-100.0f, 0.0f}, 0.0f, {-93.2f, 0.0f}, {590.68f, 388.0f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        golf_game game;
        game.ball = c.ball;
        game.velocity = c.velocity;
        game.step(0.1f, c.wind);
        EXPECT_FLOAT_EQ(game.velocity.x, c.velocity_after.x);
        EXPECT_FLOAT_EQ(game.velocity.y, c.velocity_after.y);
        EXPECT_FLOAT_EQ(game.ball.x, c.ball_after.x);
        EXPECT_FLOAT_EQ(game.ball.y, c.ball_after.y);
    }
}

struct refused_shot_case {
    const char* name;
    std::function<void(golf_game&)> set_up;
    float target_x;
    float target_y;
};

TEST(golf_game, refused_shots_change_nothing) {
    const std::vector<refused_shot_case> cases = {
        {"ball faster than 3", [](golf_game& g) { g.velocity = {3.0f, 0.5f}; }, 400.0f, 450.0f},
        {"ball holed", [](golf_game& g) { hole_ball(g); }, 400.0f, 450.0f},
        {"round complete",
         [](golf_game& g) {
             g.green = 3;
             g.cup = {475.0f, 235.0f};
             hole_ball(g);
         },
         400.0f, 450.0f},
        {"target closer than 2", [](golf_game&) {}, 241.99f, 450.0f},
        {"target too far to measure", [](golf_game&) {}, 2.0e6f, 450.0f},
        {"target NaN", [](golf_game&) {}, nan_value, 450.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        golf_game game;
        c.set_up(game);
        const golf_game before = game;
        game.shot(c.target_x, c.target_y);
        EXPECT_EQ(game.strokes, before.strokes);
        EXPECT_EQ(game.message, before.message);
        EXPECT_EQ(game.lie.x, before.lie.x);
        EXPECT_EQ(game.lie.y, before.lie.y);
        EXPECT_EQ(game.velocity.x, before.velocity.x);
        EXPECT_EQ(game.velocity.y, before.velocity.y);
    }
}

TEST(golf_game, shot_at_exactly_two_pixels_and_at_speed_three_is_accepted) {
    golf_game near;
    near.shot(242.0f, 450.0f);
    EXPECT_EQ(near.strokes, 1);
    EXPECT_EQ(near.velocity.x, 1.65f * 2.0f);

    golf_game rolling;
    rolling.velocity = {3.0f, 0.0f};
    rolling.shot(400.0f, 450.0f);
    EXPECT_EQ(rolling.strokes, 1);
}

TEST(golf_game, cup_captures_only_a_slow_ball_close_to_it) {
    golf_game game;
    hole_ball(game);
    EXPECT_TRUE(game.in_cup);
    EXPECT_EQ(game.ball.x, 735.0f);
    EXPECT_EQ(game.ball.y, 300.0f);
    EXPECT_EQ(game.velocity.x, 0.0f);
    EXPECT_EQ(game.message, "In the cup! Press N for the next green.");
    EXPECT_FALSE(game.round_complete);

    golf_game fast;
    fast.ball = {733.0f, 300.0f};
    fast.velocity = {100.0f, 0.0f};
    fast.step(0.016f, 0.0f);
    EXPECT_FALSE(fast.in_cup) << "speed above 85 rolls over the cup";

    golf_game wide;
    wide.ball = {735.0f, 286.0f};
    wide.velocity = {7.0f, 0.0f};
    wide.step(0.016f, 0.0f);
    EXPECT_FALSE(wide.in_cup) << "14 pixels from the cup";

    // A holed ball stays put whatever velocity is written.
    game.velocity = {50.0f, 50.0f};
    game.step(0.016f, 0.0f);
    EXPECT_EQ(game.velocity.x, 0.0f);
    EXPECT_EQ(game.ball.x, 735.0f);
}

TEST(golf_game, greens_follow_one_another_and_the_third_ends_the_round) {
    golf_game game;
    game.next_green();
    EXPECT_EQ(game.green, 1) << "not holed: ignored";
    EXPECT_EQ(game.message, "Aim for a gentle finish.");

    game.strokes = 4;
    hole_ball(game);
    game.next_green();
    EXPECT_EQ(game.green, 2);
    EXPECT_FALSE(game.in_cup);
    EXPECT_EQ(game.cup.x, 720.0f);
    EXPECT_EQ(game.cup.y, 440.0f);
    EXPECT_EQ(game.ball.x, 240.0f);
    EXPECT_EQ(game.lie.x, 240.0f);
    EXPECT_EQ(game.strokes, 4) << "strokes count across the round";
    EXPECT_EQ(game.message, "A fresh green. Read the wind.");

    hole_ball(game);
    game.next_green();
    EXPECT_EQ(game.green, 3);
    EXPECT_EQ(game.cup.x, 475.0f);
    EXPECT_EQ(game.cup.y, 235.0f);

    hole_ball(game);
    EXPECT_TRUE(game.in_cup);
    EXPECT_TRUE(game.round_complete);
    EXPECT_EQ(game.message, "Three greens complete. R starts a new round.");

    game.next_green();
    game.shot(400.0f, 450.0f);
    EXPECT_EQ(game.green, 3);
    EXPECT_EQ(game.strokes, 4);
    EXPECT_TRUE(game.in_cup);
    EXPECT_EQ(game.message, "Three greens complete. R starts a new round.");
}

TEST(golf_game, water_returns_the_ball_to_its_lie_with_a_penalty) {
    struct water_case {
        const char* name;
        golf_vector ball;
        golf_vector velocity;
    };
    const std::vector<water_case> cases = {
        {"rolling off the island", {950.0f, 600.0f}, {20.0f, 0.0f}},
        {"coming to rest off the island", {950.0f, 600.0f}, {1.0f, 0.0f}},
        {"far out at sea", {-500.0f, -500.0f}, {300.0f, 0.0f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        golf_game game;
        hole_ball(game);
        game.next_green();
        game.lie = {300.0f, 420.0f};
        game.ball = c.ball;
        game.velocity = c.velocity;
        game.step(0.016f, 0.0f);
        EXPECT_EQ(game.ball.x, 300.0f);
        EXPECT_EQ(game.ball.y, 420.0f);
        EXPECT_EQ(game.velocity.x, 0.0f);
        EXPECT_EQ(game.strokes, 1);
        EXPECT_EQ(game.message, "Into the water. Back to your lie (+1).");
    }

    // The cup test comes after the water, on the lie: a lie beside the cup drops in at once.
    golf_game beside;
    beside.lie = {730.0f, 300.0f};
    beside.ball = {950.0f, 600.0f};
    beside.velocity = {20.0f, 0.0f};
    beside.step(0.016f, 0.0f);
    EXPECT_EQ(beside.strokes, 1);
    EXPECT_TRUE(beside.in_cup);
    EXPECT_EQ(beside.ball.x, 735.0f);
    EXPECT_EQ(beside.message, "In the cup! Press N for the next green.");

    golf_game edge;
    edge.ball = {931.0f, 390.0f};  // on the ellipse: dry
    edge.velocity = {6.0f, 0.0f};
    edge.step(0.001f, -6000.0f);
    EXPECT_EQ(edge.ball.x, 931.0f);
    EXPECT_EQ(edge.strokes, 0);
}

TEST(golf_game, unmeasurable_velocity_counts_as_at_rest) {
    const std::vector<golf_vector> velocities = {
        {nan_value, 0.0f}, {0.0f, nan_value}, {1000001.0f, 0.0f}, {0.0f, -1000001.0f}, {0.04f, 0.0f}};
    for (const auto& v : velocities) {
        SCOPED_TRACE(testing::Message() << v.x << ", " << v.y);
        golf_game game;
        game.velocity = v;
        if (v.x != 0.04f) {
            EXPECT_EQ(game.speed(), 0.0f);
        }
        game.step(0.016f, 10.0f);
        EXPECT_EQ(game.velocity.x, 0.0f);
        EXPECT_EQ(game.velocity.y, 0.0f);
        EXPECT_EQ(game.ball.x, 240.0f);
        EXPECT_EQ(game.ball.y, 450.0f);
    }

    golf_game game;
    game.velocity = {nan_value, nan_value};
    game.shot(400.0f, 450.0f);
    EXPECT_EQ(game.strokes, 1) << "a NaN velocity does not block a shot";
    EXPECT_EQ(game.velocity.x, 264.0f);
}

TEST(golf_game, stroke_and_green_counts_wrap_at_the_32_bit_limit) {
    golf_game shot;
    shot.strokes = INT32_MAX;
    shot.shot(400.0f, 450.0f);
    EXPECT_EQ(shot.strokes, INT32_MIN);

    golf_game water;
    water.strokes = INT32_MAX;
    water.ball = {950.0f, 600.0f};
    water.velocity = {20.0f, 0.0f};
    water.step(0.016f, 0.0f);
    EXPECT_EQ(water.strokes, INT32_MIN);

    golf_game green;
    green.green = INT32_MAX;
    green.in_cup = true;
    green.next_green();
    EXPECT_EQ(green.green, INT32_MIN);
    EXPECT_EQ(green.cup.x, 720.0f);
}

}  // namespace
