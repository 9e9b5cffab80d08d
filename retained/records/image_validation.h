#pragma once
// Validators of bounded geometry and of render images. Each returns "" when its
// input is valid, else the message of the first rule that failed. They never throw
// for bad input and keep no state.

#include "retained/records/value_records.h"

#include <string>

// x and y within -1000000..1000000, width and height within 0..1000000.
// Message: "<label> exceeds bounded retained geometry".
std::string validate_bounded_geometry(retained_bounds bounds, const std::string& label);

// Identity, kind, generation, format, colour space, alpha mode, state, then the
// placeholder or ready rules (size, byte size, payload length and digits).
std::string validate_render_image(const render_image& image);
