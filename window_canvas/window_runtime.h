#pragma once
// One window of the runtime: its handles, OpenGL context and fonts, its flags
// and size, and the input the window procedure records for the drawing and
// input API. Records are owned by window_registry and never removed while the
// process runs; closing a window releases its handles and keeps the record.

#include <array>
#include <cstdint>
#include <string>

#include "platform/win32.h"

// Event codes stored in window_runtime::event_code.
inline constexpr int64_t event_key_down = 100;  // also an auto-repeat
inline constexpr int64_t event_key_up = 101;
inline constexpr int64_t event_pointer_move = 200;
inline constexpr int64_t event_pointer_down = 201;
inline constexpr int64_t event_pointer_up = 202;
inline constexpr int64_t event_mouse_wheel = 203;
inline constexpr int64_t event_capture_lost = 204;
inline constexpr int64_t event_pointer_cancelled = 205;
inline constexpr int64_t event_file_drop = 210;

// Recorded pointer kinds.
inline constexpr int64_t pointer_kind_mouse = 1;
inline constexpr int64_t pointer_kind_touch = 2;
inline constexpr int64_t pointer_kind_pen = 3;

// Modifier bits of window_runtime::modifiers.
inline constexpr uint64_t modifier_shift = 1;
inline constexpr uint64_t modifier_control = 2;
inline constexpr uint64_t modifier_alt = 4;

// Byte limit of text_input and composition.
inline constexpr std::size_t text_input_limit = 512;

// A bitmap font: 96 display lists for the characters 32 to 127 and its GDI font.
struct font_slot {
  uint32_t list_base = 0;  // 0 = none
  HFONT font = nullptr;
};

// Font slot order: 12, 13, 15, 20 and 28 px, each normal (400) then bold (700).
inline constexpr int font_slot_count = 10;
inline constexpr int font_slot_pixel_heights[font_slot_count] = {12, 12, 13, 13, 15, 15, 20, 20, 28, 28};
inline constexpr int font_slot_weights[font_slot_count] = {400, 700, 400, 700, 400, 700, 400, 700, 400, 700};

// Index of press_snapshot's values.
enum press_snapshot_field : int {
  snapshot_sequence,
  snapshot_pointer_id,
  snapshot_pointer_kind,
  snapshot_pointer_pressure,
  snapshot_pointer_x,
  snapshot_pointer_y,
  snapshot_pointer_raw_x,
  snapshot_pointer_raw_y,
  snapshot_pointer_engaged,
};

struct window_runtime {
  int32_t id = 0;
  HWND window_handle = nullptr;
  HDC device_context = nullptr;
  HGLRC gl_context = nullptr;
  uint8_t srgb_format = 0;    // strict sRGB format from the pixel-format extension, re-checked
  uint8_t srgb_verified = 0;  // sRGB writes enabled and proven: colours go to OpenGL in linear light
  std::array<font_slot, font_slot_count> fonts{};
  int32_t client_width = 0;  // never below 1 while the window lives; 0 after close
  int32_t client_height = 0;
  int32_t position_x = 0;  // screen position of the client area's top-left corner
  int32_t position_y = 0;
  uint8_t open = 0;
  uint8_t visible = 0;
  uint8_t focused = 0;
  uint8_t minimized = 0;
  uint8_t close_requested = 0;
  int32_t parent_id = 0;
  int32_t dpi_percent = 100;   // DPI as a percentage of 96, rounded
  int32_t monitor_index = 1;   // 1-based into window_registry::monitors, 0 = none found
  uint64_t event_sequence = 0;
  int64_t event_code = 0;
  uint64_t event_arg0 = 0;  // key: virtual key; drop: 1 when a path was kept
  uint64_t event_arg1 = 0;  // key: virtual key; drop: number of files
  uint64_t key_modifiers = 0;
  uint64_t key_repeat = 0;
  int64_t pointer_id = 0;
  int64_t pointer_kind = 0;
  int64_t pointer_buttons = 0;
  int64_t pointer_pressure = 0;  // 0..1000
  int64_t wheel_delta = 0;
  int64_t pointer_x = 0;  // client pixels
  int64_t pointer_y = 0;
  int64_t pointer_raw_x = 0;  // as delivered by the message
  int64_t pointer_raw_y = 0;
  int64_t pointer_engaged = 0;
  int64_t capture_lost = 0;
  int64_t pointer_cancelled = 0;
  std::array<int64_t, 9> press_snapshot{};  // indexed by press_snapshot_field
  uint64_t touch_contacts = 0;
  std::string dropped_path;  // UTF-8; only a drop of exactly one file keeps its path
  uint64_t modifiers = 0;    // modifier_* bits held now
  std::array<uint8_t, 256> press_counts{};  // unconsumed fresh key-downs by virtual key, saturating
  std::string text_input;                   // typed UTF-8, at most text_input_limit bytes
  uint64_t text_input_count = 0;
  uint16_t pending_high_surrogate = 0;
  std::string composition;  // IME composition, UTF-8, at most text_input_limit bytes
  uint64_t composition_revision = 0;
  uint8_t composing = 0;
  uint8_t caption_buttons = 0;  // minimize, maximize and close areas at the top right
  uint8_t custom_chrome = 0;    // the window procedure hit-tests caption and borders itself
  uint8_t drag_active = 0;      // a resize drag on a border is in progress
  int32_t drag_hit = 0;
  POINT drag_start_cursor{};  // screen coordinates
  RECT drag_start_rect{};

  // Takes the registry's next event number; a non-zero code also becomes event_code.
  void stamp_event(int64_t code);
  // Releases every handle (display lists while the context is current, then
  // fonts, context, device context, window) and clears the flags.
  void close();
  // Refreshes dpi_percent and monitor_index from the window's monitor.
  void update_display_scale();

  // A key message: counts fresh presses, tracks modifiers and the repeat bit.
  void record_key_event(uint64_t virtual_key, LPARAM lParam, bool down);
  // A pointer event; pressure -1 is the default for the code. pointer_message:
  // wParam/lParam have the pointer-message layout (flags in wParam's high word,
  // screen coordinates) instead of the mouse-message one.
  void record_pointer_event(int64_t code, int64_t pointer_id, int64_t kind, WPARAM wParam, LPARAM lParam,
                            int64_t pressure, bool pointer_message);
  // One UTF-16 unit of typed text; surrogate halves are paired across calls.
  void receive_utf16(uint16_t unit);
  // Appends a printable code point to text_input when it fits whole.
  void append_text_input(uint32_t code_point);

  // Resets the view to the client size and presents two frames cleared to the background.
  void repaint_after_resize();
};
