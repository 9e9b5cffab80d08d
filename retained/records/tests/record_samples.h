#pragma once
// Valid records for the tests to start from and change one field at a time.

#include "retained/records/value_records.h"

#include <cstdint>
#include <string>

// A valid "ready" image "logo" of w x h pixels; its payload cycles through "09afAF3c".
render_image ready_image(std::int32_t w = 1, std::int32_t h = 1);

// A command of the owner and kind, every other field left at its default.
render_command command_of(const std::string& owner, const std::string& kind);

// A valid fragment of owner "P": layout (0, 0, 10, 10) inside ink (-5, -5, 20, 20),
// dependencies "k1" ... "k5", "src", one "image" command, source "layout".
owner_fragment valid_fragment();
