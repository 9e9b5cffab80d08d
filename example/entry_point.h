#pragma once
// The program: a game, then the self-test when QUON_EXAMPLE_TEST is "1",
// else the game in its window through `canvas`.

#include "example/frame_clock.h"
#include "example/game_canvas.h"

// The exit status: 0 after the frame loop, 1 after a std::exception (its
// what() and a newline on standard error). The self-test ends the process itself.
int run_kelvaro(game_canvas& canvas, frame_clock& clock);
