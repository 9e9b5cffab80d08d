#pragma once
// A game_canvas that records every call with its arguments and answers the
// input queries from a script of frames.

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "example/frame_clock.h"
#include "example/game_canvas.h"

struct canvas_call {
    std::string name;
    std::vector<int64_t> args;
    std::string text;  // DrawTextStyled's text, OpenWindow's title

    bool operator==(const canvas_call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const canvas_call& call);

// The input one frame sees.
struct frame_input {
    bool left_down = false;
    int32_t mouse_x = -1;
    int32_t mouse_y = -1;
    std::set<std::string> keys;  // upper case, one press each
};

class recording_canvas : public game_canvas {
public:
    std::vector<canvas_call> calls;
    // Input per frame: the loop head of frame i (0-based) answers open while
    // i < script.size(); the first loop head after the script answers closed.
    std::vector<frame_input> script;
    int frame = -1;

    // The calls of one frame (from its loop head to before the next).
    std::vector<canvas_call> frame_calls(int index) const;

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

private:
    frame_input& input();
    std::vector<frame_input> consumed_;
};

// A clock answering readings from a list (the last one repeats) and counting pauses.
class scripted_clock : public frame_clock {
public:
    std::vector<int32_t> readings;
    int pauses = 0;

    int32_t now_milliseconds() override;
    void pause() override { ++pauses; }

private:
    std::size_t next_ = 0;
};
