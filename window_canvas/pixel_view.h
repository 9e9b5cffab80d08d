#pragma once
// The pixel view of a frame: one unit per client pixel, origin top left, y downward.

#include <cstdint>

// Viewport (0, 0, width, height), an orthographic projection onto it and an
// identity model-view matrix.
void reset_pixel_view(int32_t width, int32_t height);
