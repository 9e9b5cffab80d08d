// kelvaro: the island golf game in its window. With QUON_EXAMPLE_TEST=1 it
// runs the self-test of the game model instead and opens no window.

#include "example/entry_point.h"
#include "example/frame_clock.h"
#include "example/window_game_canvas.h"

int main() {
    window_game_canvas canvas;
    steady_frame_clock clock;
    return run_kelvaro(canvas, clock);
}
