#include "native_ui_host/host_display.h"

std::string validate_display_geometry(const host_display& display)
{
    if (display.id.empty() || display.width <= 0 || display.height <= 0 || display.work_width <= 0 ||
        display.work_height <= 0 || display.scale <= 0) {
        return "invalid-display-geometry";
    }
    // Far edges in 64 bits: origin plus size can exceed the 32-bit range.
    const std::int64_t right = std::int64_t{display.x} + display.width;
    const std::int64_t bottom = std::int64_t{display.y} + display.height;
    const std::int64_t work_right = std::int64_t{display.work_x} + display.work_width;
    const std::int64_t work_bottom = std::int64_t{display.work_y} + display.work_height;
    if (display.work_x < display.x || display.work_y < display.y || work_right > right || work_bottom > bottom) {
        return "work-area-outside-display";
    }
    return "ok";
}
