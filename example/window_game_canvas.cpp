#include "example/window_game_canvas.h"

#include "window_canvas/canvas.h"
#include "window_canvas/message_pump.h"
#include "window_canvas/window_registry.h"

void window_game_canvas::OpenWindow(std::string_view title, int32_t width, int32_t height, int32_t parent_id) {
    ::OpenWindow(title, width, height, parent_id);
}

bool window_game_canvas::primary_window_open() {
    pump_messages();
    window_registry& registry = window_registry::instance();
    const auto found = registry.windows.find(registry.primary_id);
    if (found == registry.windows.end() || !found->second) return false;
    const window_runtime& primary = *found->second;
    return primary.open && primary.window_handle != nullptr;
}

void window_game_canvas::CloseAllWindows() { ::CloseAllWindows(); }

void window_game_canvas::BeginFrame(int64_t red, int64_t green, int64_t blue) { ::BeginFrame(red, green, blue); }

void window_game_canvas::EndFrame() { ::EndFrame(); }

void window_game_canvas::SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) {
    ::SetScissor(x, y, width, height);
}

void window_game_canvas::ClearScissor() { ::ClearScissor(); }

void window_game_canvas::DrawRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t red,
                                      int64_t green, int64_t blue) {
    ::DrawRectRgba(x, y, width, height, red, green, blue);
}

void window_game_canvas::DrawLineRgba(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t width, int64_t red,
                                      int64_t green, int64_t blue, int64_t alpha) {
    ::DrawLineRgba(x0, y0, x1, y1, width, red, green, blue, alpha);
}

void window_game_canvas::DrawRectGradientVRgba(int64_t x, int64_t y, int64_t width, int64_t height,
                                               int64_t top_red, int64_t top_green, int64_t top_blue,
                                               int64_t top_alpha, int64_t bottom_red, int64_t bottom_green,
                                               int64_t bottom_blue, int64_t bottom_alpha) {
    ::DrawRectGradientVRgba(x, y, width, height, top_red, top_green, top_blue, top_alpha, bottom_red, bottom_green,
                            bottom_blue, bottom_alpha);
}

void window_game_canvas::DrawRoundedRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t radius,
                                             int64_t red, int64_t green, int64_t blue, int64_t alpha) {
    ::DrawRoundedRectRgba(x, y, width, height, radius, red, green, blue, alpha);
}

void window_game_canvas::DrawTextStyled(std::string_view text, int32_t x, int32_t y, int32_t size, int32_t red,
                                        int32_t green, int32_t blue) {
    ::DrawTextStyled(text, x, y, size, red, green, blue);
}

int32_t window_game_canvas::MouseX() { return ::MouseX(); }

int32_t window_game_canvas::MouseY() { return ::MouseY(); }

bool window_game_canvas::MouseDown(std::string_view button) { return ::MouseDown(button); }

bool window_game_canvas::KeyPressed(std::string_view key) { return ::KeyPressed(key); }
