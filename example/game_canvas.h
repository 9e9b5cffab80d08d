#pragma once
// The runtime calls a frame of the game makes, as one interface: the frame
// loop and the scene issue every window, drawing and input call through it.
// window_game_canvas forwards to the window and canvas runtime; a test can
// put a recorder in its place.

#include <cstdint>
#include <string_view>

class game_canvas {
public:
    virtual ~game_canvas() = default;

    virtual void OpenWindow(std::string_view title, int32_t width, int32_t height, int32_t parent_id) = 0;
    // Pumps the window messages, then tells whether the primary window is
    // still registered, open and has its handle.
    virtual bool primary_window_open() = 0;
    virtual void CloseAllWindows() = 0;

    virtual void BeginFrame(int64_t red, int64_t green, int64_t blue) = 0;
    virtual void EndFrame() = 0;
    virtual void SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void ClearScissor() = 0;

    virtual void DrawRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t red, int64_t green,
                              int64_t blue) = 0;
    virtual void DrawLineRgba(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t width, int64_t red,
                              int64_t green, int64_t blue, int64_t alpha) = 0;
    virtual void DrawRectGradientVRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t top_red,
                                       int64_t top_green, int64_t top_blue, int64_t top_alpha, int64_t bottom_red,
                                       int64_t bottom_green, int64_t bottom_blue, int64_t bottom_alpha) = 0;
    virtual void DrawRoundedRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t radius,
                                     int64_t red, int64_t green, int64_t blue, int64_t alpha) = 0;
    virtual void DrawTextStyled(std::string_view text, int32_t x, int32_t y, int32_t size, int32_t red,
                                int32_t green, int32_t blue) = 0;

    virtual int32_t MouseX() = 0;
    virtual int32_t MouseY() = 0;
    virtual bool MouseDown(std::string_view button) = 0;
    virtual bool KeyPressed(std::string_view key) = 0;
};
