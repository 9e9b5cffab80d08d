#pragma once
// The game's canvas in production: every call goes to the window and canvas
// runtime of this process.

#include "example/game_canvas.h"

class window_game_canvas : public game_canvas {
public:
    void OpenWindow(std::string_view title, int32_t width, int32_t height, int32_t parent_id) override;
    bool primary_window_open() override;
    void CloseAllWindows() override;

    void BeginFrame(int64_t red, int64_t green, int64_t blue) override;
    void EndFrame() override;
    void SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void ClearScissor() override;

    void DrawRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t red, int64_t green,
                      int64_t blue) override;
    void DrawLineRgba(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t width, int64_t red, int64_t green,
                      int64_t blue, int64_t alpha) override;
    void DrawRectGradientVRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t top_red,
                               int64_t top_green, int64_t top_blue, int64_t top_alpha, int64_t bottom_red,
                               int64_t bottom_green, int64_t bottom_blue, int64_t bottom_alpha) override;
    void DrawRoundedRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t radius, int64_t red,
                             int64_t green, int64_t blue, int64_t alpha) override;
    void DrawTextStyled(std::string_view text, int32_t x, int32_t y, int32_t size, int32_t red, int32_t green,
                        int32_t blue) override;

    int32_t MouseX() override;
    int32_t MouseY() override;
    bool MouseDown(std::string_view button) override;
    bool KeyPressed(std::string_view key) override;
};
