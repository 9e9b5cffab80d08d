#pragma once
// The game in its window: opens it, runs frames until the window is gone or
// ESCAPE is pressed, then closes every window.

#include "example/frame_clock.h"
#include "example/game_canvas.h"

class golf_game;

// Returns 0 when the loop ends; runtime failures propagate as exceptions.
int run_frame_loop(golf_game& game, game_canvas& canvas, frame_clock& clock);

// Frame time in seconds from two clock readings: the wrapping 32-bit
// difference, clamped to 0..0.033.
float frame_seconds(int32_t now, int32_t last);
