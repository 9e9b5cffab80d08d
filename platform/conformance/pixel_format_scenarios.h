#pragma once
// Scenarios of the pixel-format and WGL calls that opening a window relies on.
// Only what every driver answers alike is printed: whether a format was found,
// flags and lower bounds, never format numbers.

void run_pixel_format_scenarios();
