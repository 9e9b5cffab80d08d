#include "example/entry_point.h"

#include <exception>
#include <iostream>
#include <memory>

#include "example/frame_loop.h"
#include "example/golf_game.h"
#include "example/self_test.h"
#include "runtime/environment.h"

int run_kelvaro(game_canvas& canvas, frame_clock& clock) {
    try {
        auto game = std::make_shared<golf_game>();
        if (environment_text("QUON_EXAMPLE_TEST") == "1") run_self_test(*game);
        return run_frame_loop(*game, canvas, clock);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
}
