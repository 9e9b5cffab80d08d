#pragma once
// The immediate drawing and input API of the window and canvas runtime
// (module "window.canvas"). Every call works on the current window. Guarded
// calls pump up to 32 window messages first and throw kiro_runtime_exception
// ("window/canvas runtime window is not open for <name>") when no window is open.
// Coordinates are client pixels, origin top left, y downward; colours are sRGB bytes.

#include <cstdint>
#include <string_view>

// Opens the application window (client size width x height, UTF-8 title), or
// makes the open primary window current again. Silently does nothing once 16
// windows were opened in this process. Throws on a failure to create the window,
// its device context, pixel format or OpenGL context.
void OpenWindow(std::string_view title, int32_t width, int32_t height, int32_t parent_id);
// Closes every window in ascending id order, children first; no window is current afterwards.
void CloseAllWindows();

// Sets up the viewport and pixel projection, enables blending and clears to the colour.
void BeginFrame(int64_t red, int64_t green, int64_t blue);
// Resets clipping, flushes and presents the frame.
void EndFrame();
// Restricts drawing to a rectangle given in top-left coordinates.
void SetScissor(int32_t x, int32_t y, int32_t width, int32_t height);
// Removes the restriction of SetScissor.
void ClearScissor();

// A filled opaque rectangle; a negative width draws nothing visible.
void DrawRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t red, int64_t green, int64_t blue);
// A line of the given thickness (at least 1) with square ends flush with its end points.
void DrawLineRgba(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t width, int64_t red, int64_t green,
                  int64_t blue, int64_t alpha);
// A rectangle shaded vertically from the top colour to the bottom colour.
void DrawRectGradientVRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t top_red, int64_t top_green,
                           int64_t top_blue, int64_t top_alpha, int64_t bottom_red, int64_t bottom_green,
                           int64_t bottom_blue, int64_t bottom_alpha);
// A filled rectangle with quarter-circle corners of the given radius.
void DrawRoundedRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t radius, int64_t red,
                         int64_t green, int64_t blue, int64_t alpha);
// One line of text, (x, y) the top left of its line box. size: below 250 the
// 15 px style, exactly 330 the 28 px style, otherwise 20 px. Characters outside
// printable ASCII are drawn as "?".
void DrawTextStyled(std::string_view text, int32_t x, int32_t y, int32_t size, int32_t red, int32_t green,
                    int32_t blue);

// Pointer position in client pixels of the current window; -1 unless one of
// the runtime's open windows is the foreground window.
int32_t MouseX();
int32_t MouseY();
// Whether the named button ("left"/"primary"/"l", "right"/"secondary"/"r",
// "middle"/"m", any case) is down now, while a runtime window is in the
// foreground. Never pumps, never throws.
bool MouseDown(std::string_view button);
// Consumes one recorded press of the named key ("a".."z", "0".."9", "f1".."f12",
// "left", "right", "up", "down", "space", "enter"/"return", "tab", "home", "end",
// "pageup", "pagedown", "escape"/"esc", "shift", any case) while the current
// window is focused and in the foreground. Pumps, never throws.
bool KeyPressed(std::string_view key);
