#pragma once
// Drawing one frame of the game: the titles, the island scene inside the
// play band and the heads-up texts. Reads the game, changes nothing.

#include <cstdint>
#include <string>

#include "example/game_canvas.h"

class golf_game;

// Text in the heading colour; size 150 or more picks the large style.
void draw_heading_text(game_canvas& canvas, std::string text, int32_t x, int32_t y, int32_t size);
// Text in the caption colour and the small style.
void draw_caption_text(game_canvas& canvas, std::string text, int32_t x, int32_t y);
// A filled disc as 2 * radius + 1 one-pixel rows; radius must not be negative.
void fill_circle(game_canvas& canvas, int32_t centre_x, int32_t centre_y, int32_t radius, int32_t red,
                 int32_t green, int32_t blue);

// The whole frame from BeginFrame to EndFrame. t is the play time in seconds,
// driving every animation; the aim line follows the pointer while aiming.
void draw_frame(game_canvas& canvas, const golf_game& game, float t, float wind, bool aiming);
