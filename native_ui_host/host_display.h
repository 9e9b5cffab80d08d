#pragma once
// A display as the host publishes it, and the geometry check it must pass.

#include <cstdint>
#include <string>

struct host_display {
    std::string id;             // not empty
    std::int32_t x = 0;         // display origin, any value
    std::int32_t y = 0;
    std::int32_t width = 0;     // positive
    std::int32_t height = 0;
    std::int32_t work_x = 0;    // work area: positive size, inside the display
    std::int32_t work_y = 0;
    std::int32_t work_width = 0;
    std::int32_t work_height = 0;
    std::int32_t scale = 0;     // positive, not interpreted
    bool primary = false;
};

// "ok", "invalid-display-geometry" (empty id or a size or scale not positive)
// or "work-area-outside-display". Edges are compared exactly, also where a
// coordinate plus a size leaves the 32-bit range.
std::string validate_display_geometry(const host_display& display);
