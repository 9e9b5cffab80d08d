#include "example/self_test.h"

#include <cstdlib>
#include <iostream>

#include "example/golf_game.h"

namespace {

constexpr float test_step = 0.016f;
constexpr float no_wind = 0.0f;
constexpr int settle_steps = 2400;

}  // namespace

void self_test_expect(bool condition, std::string name) {
    if (condition) return;
    std::cerr << name << std::endl;
    std::exit(2);
}

void run_self_test(golf_game& game) {
    game.shot(400.0f, 450.0f);
    self_test_expect(game.strokes == 1 && game.velocity.x > 0.0f, "shot");

    for (int i = 0; i < settle_steps; ++i) game.step(test_step, no_wind);
    self_test_expect(game.speed() == 0.0f, "friction settles");

    game.ball.x = game.cup.x - 2.0f;
    game.ball.y = game.cup.y;
    game.velocity.x = 7.0f;
    game.step(test_step, no_wind);
    self_test_expect(game.in_cup, "cup captures slow ball");

    game.next_green();
    self_test_expect(game.green == 2 && !game.in_cup, "next green");

    game.velocity.x = 20.0f;
    game.ball = {950.0f, 600.0f};
    game.step(test_step, no_wind);
    self_test_expect(game.ball.x == game.lie.x, "water restores safe lie");

    std::cout << "tamsel: pass" << std::endl;
    std::exit(0);
}
