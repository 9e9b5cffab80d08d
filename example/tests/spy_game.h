#pragma once
// A game that logs what the frame loop asks of it.

#include <vector>

#include "example/golf_game.h"

struct spy_game : golf_game {
    struct shot_call {
        float x;
        float y;
    };
    std::vector<shot_call> shots;
    std::vector<float> step_dts;
    std::vector<float> step_winds;
    int resets = 0;
    int next_greens = 0;

    void shot(float x, float y) override {
        shots.push_back({x, y});
        golf_game::shot(x, y);
    }
    void step(float dt, float wind) override {
        step_dts.push_back(dt);
        step_winds.push_back(wind);
        golf_game::step(dt, wind);
    }
    void reset() override {
        ++resets;
        golf_game::reset();
    }
    void next_green() override {
        ++next_greens;
        golf_game::next_green();
    }
};

// Holes the ball on the current green: 2 pixels left of the cup, slow enough to drop.
inline void hole_ball(golf_game& game) {
    game.ball = {game.cup.x - 2.0f, game.cup.y};
    game.velocity = {7.0f, 0.0f};
    game.step(0.016f, 0.0f);
}
