#pragma once
// Colours of the drawing API. Colours are sRGB bytes; on a verified sRGB
// framebuffer they go to OpenGL in linear light so blending happens there.

#include <cstdint>

// The IEC 61966-2-1 decoding of value / 255, value clamped to 0..255.
float srgb_to_linear(int64_t value);
// Sets the OpenGL current colour for the current window; alpha is limited to 0..255 and never decoded.
void set_draw_color(int64_t red, int64_t green, int64_t blue, int64_t alpha);
// One clear-colour channel from 0 to 1. Without a verified sRGB framebuffer a
// value of 0 or 1 is taken as is (1 is full intensity) and larger ones as bytes.
float color_channel(int64_t value);
