// kelvaro: the island golf game. With QUON_EXAMPLE_TEST=1 it runs the
// self-test of the game model instead of opening its window.

#include <exception>
#include <iostream>
#include <memory>

#include "example/golf_game.h"
#include "example/self_test.h"
#include "runtime/environment.h"

int main() {
    try {
        auto game = std::make_shared<golf_game>();
        if (environment_text("QUON_EXAMPLE_TEST") == "1") run_self_test(*game);
        std::cerr << "kelvaro: the game window is not available in this build yet; "
                     "set QUON_EXAMPLE_TEST=1 for the self-test"
                  << "\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
}
