#include "recording_canvas.h"

#include <ostream>

std::ostream& operator<<(std::ostream& out, const canvas_call& call) {
    out << call.name << "(";
    if (!call.text.empty()) out << '"' << call.text << "\" ";
    for (std::size_t i = 0; i < call.args.size(); ++i) out << (i ? ", " : "") << call.args[i];
    return out << ")";
}

std::vector<canvas_call> recording_canvas::frame_calls(int index) const {
    std::vector<canvas_call> result;
    int seen = -1;
    for (const auto& call : calls) {
        if (call.name == "primary_window_open") ++seen;
        if (seen == index) result.push_back(call);
        if (seen > index) break;
    }
    return result;
}

frame_input& recording_canvas::input() {
    static frame_input none;
    none = frame_input{};
    if (frame < 0 || frame >= static_cast<int>(consumed_.size())) return none;
    return consumed_[static_cast<std::size_t>(frame)];
}

void recording_canvas::OpenWindow(std::string_view title, int32_t width, int32_t height, int32_t parent_id) {
    calls.push_back({"OpenWindow", {width, height, parent_id}, std::string(title)});
    consumed_ = script;
}

bool recording_canvas::primary_window_open() {
    calls.push_back({"primary_window_open", {}, ""});
    ++frame;
    return frame < static_cast<int>(script.size());
}

void recording_canvas::CloseAllWindows() { calls.push_back({"CloseAllWindows", {}, ""}); }

void recording_canvas::BeginFrame(int64_t red, int64_t green, int64_t blue) {
    calls.push_back({"BeginFrame", {red, green, blue}, ""});
}

void recording_canvas::EndFrame() { calls.push_back({"EndFrame", {}, ""}); }

void recording_canvas::SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) {
    calls.push_back({"SetScissor", {x, y, width, height}, ""});
}

void recording_canvas::ClearScissor() { calls.push_back({"ClearScissor", {}, ""}); }

void recording_canvas::DrawRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t red, int64_t green,
                                    int64_t blue) {
    calls.push_back({"DrawRectRgba", {x, y, width, height, red, green, blue}, ""});
}

void recording_canvas::DrawLineRgba(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t width, int64_t red,
                                    int64_t green, int64_t blue, int64_t alpha) {
    calls.push_back({"DrawLineRgba", {x0, y0, x1, y1, width, red, green, blue, alpha}, ""});
}

void recording_canvas::DrawRectGradientVRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t top_red,
                                             int64_t top_green, int64_t top_blue, int64_t top_alpha,
                                             int64_t bottom_red, int64_t bottom_green, int64_t bottom_blue,
                                             int64_t bottom_alpha) {
    calls.push_back({"DrawRectGradientVRgba",
                     {x, y, width, height, top_red, top_green, top_blue, top_alpha, bottom_red, bottom_green,
                      bottom_blue, bottom_alpha},
                     ""});
}

void recording_canvas::DrawRoundedRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t radius,
                                           int64_t red, int64_t green, int64_t blue, int64_t alpha) {
    calls.push_back({"DrawRoundedRectRgba", {x, y, width, height, radius, red, green, blue, alpha}, ""});
}

void recording_canvas::DrawTextStyled(std::string_view text, int32_t x, int32_t y, int32_t size, int32_t red,
                                      int32_t green, int32_t blue) {
    calls.push_back({"DrawTextStyled", {x, y, size, red, green, blue}, std::string(text)});
}

int32_t recording_canvas::MouseX() {
    calls.push_back({"MouseX", {}, ""});
    return input().mouse_x;
}

int32_t recording_canvas::MouseY() {
    calls.push_back({"MouseY", {}, ""});
    return input().mouse_y;
}

bool recording_canvas::MouseDown(std::string_view button) {
    calls.push_back({"MouseDown", {}, std::string(button)});
    return input().left_down;
}

bool recording_canvas::KeyPressed(std::string_view key) {
    calls.push_back({"KeyPressed", {}, std::string(key)});
    return input().keys.erase(std::string(key)) > 0;
}

int32_t scripted_clock::now_milliseconds() {
    if (readings.empty()) return 0;
    const int32_t value = readings[std::min(next_, readings.size() - 1)];
    ++next_;
    return value;
}
