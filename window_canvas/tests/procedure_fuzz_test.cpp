// Long random message streams through the queue and the window procedure: nothing
// crashes and the record's invariants hold after every message.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "window_canvas/tests/canvas_fixture.h"

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    uint32_t code_point = 0;
    if (lead < 0x80) {
      length = 1;
      code_point = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code_point = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code_point = (code_point << 6) | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code_point < smallest[length] || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

bool is_flag(int64_t value) { return value == 0 || value == 1; }

void expect_invariants(const window_runtime& window, uint64_t step) {
  ASSERT_LE(window.text_input.size(), text_input_limit) << step;
  ASSERT_LE(window.composition.size(), text_input_limit) << step;
  ASSERT_TRUE(is_valid_utf8(window.text_input)) << step;
  ASSERT_TRUE(is_valid_utf8(window.composition)) << step;
  ASSERT_TRUE(is_valid_utf8(window.dropped_path)) << step;
  ASSERT_TRUE(window.pending_high_surrogate == 0 ||
              (window.pending_high_surrogate >= 0xD800 && window.pending_high_surrogate <= 0xDBFF))
      << step;
  ASSERT_LE(window.modifiers, 7u) << step;
  ASSERT_EQ(window.key_modifiers & ~uint64_t{7}, 0u) << step;
  ASSERT_TRUE(window.key_repeat <= 1) << step;
  ASSERT_TRUE(window.pointer_pressure >= 0 && window.pointer_pressure <= 1000) << step;
  ASSERT_TRUE(window.pointer_kind >= 0 && window.pointer_kind <= 3) << step;
  ASSERT_TRUE(window.pointer_buttons >= 0 && window.pointer_buttons <= 0xFFFF) << step;
  ASSERT_TRUE(is_flag(window.pointer_engaged) && is_flag(window.capture_lost) && is_flag(window.pointer_cancelled))
      << step;
  ASSERT_TRUE(window.wheel_delta >= -32768 && window.wheel_delta <= 32767) << step;
  ASSERT_TRUE(window.open <= 1 && window.visible <= 1 && window.focused <= 1 && window.minimized <= 1 &&
              window.composing <= 1 && window.drag_active <= 1)
      << step;
  if (window.window_handle != nullptr) {
    ASSERT_GE(window.client_width, 1) << step;
    ASSERT_GE(window.client_height, 1) << step;
  }
  if (window.drag_active) {
    ASSERT_TRUE(window.drag_hit >= HTLEFT && window.drag_hit <= HTBOTTOMRIGHT) << step;
  }
  ASSERT_LE(window.monitor_index, static_cast<int32_t>(window_registry::instance().monitors.size())) << step;
  ASSERT_LT(window.event_sequence, window_registry::instance().event_sequence) << step;
  ASSERT_TRUE(window.event_arg0 <= 1 || window.event_code != 210) << step;
}

// The messages the window procedure handles, and some it passes on.
constexpr UINT interesting_messages[] = {
    WM_MOVE,         WM_SIZE,          WM_SETFOCUS,           WM_KILLFOCUS,          WM_CLOSE,
    WM_QUERYENDSESSION, WM_ERASEBKGND, WM_ENDSESSION,         WM_SHOWWINDOW,         WM_ACTIVATEAPP,
    WM_CANCELMODE,   WM_SETCURSOR,     WM_GETOBJECT,          WM_NCHITTEST,          WM_KEYDOWN,
    WM_SYSKEYDOWN,   WM_KEYUP,         WM_SYSKEYUP,           WM_CHAR,               WM_IME_CHAR,
    WM_UNICHAR,      WM_IME_STARTCOMPOSITION, WM_IME_ENDCOMPOSITION, WM_IME_COMPOSITION, WM_MOUSEMOVE,
    WM_LBUTTONDOWN,  WM_LBUTTONUP,     WM_RBUTTONDOWN,        WM_RBUTTONUP,          WM_MOUSEWHEEL,
    WM_CAPTURECHANGED, WM_POWERBROADCAST, WM_DROPFILES,       WM_TOUCH,              WM_POINTERUPDATE,
    WM_POINTERDOWN,  WM_POINTERUP,     WM_WTSSESSION_CHANGE,  WM_RENDERFORMAT,       WM_RENDERALLFORMATS,
    WM_DESTROYCLIPBOARD, WM_PAINT,     WM_NULL,               WM_USER + 7,           WM_APP + 3,
};

class message_stream {
 public:
  explicit message_stream(uint32_t seed) : random_(seed) {}

  uint64_t bits() { return (uint64_t{random_()} << 32) | random_(); }
  uint32_t below(uint32_t bound) { return static_cast<uint32_t>(random_() % bound); }

  UINT message() { return interesting_messages[below(std::size(interesting_messages))]; }

  // Small values, text units, packed points and full-width noise.
  uint64_t parameter() {
    switch (below(6)) {
      case 0: return below(4);
      case 1: return below(0x10000);
      case 2: return 0xD800 + below(0x800);  // surrogates
      case 3: return (uint64_t{below(0x10000)} << 16) | below(0x10000);
      case 4: return bits() & 0xFFFFFFFFu;
      default: return bits();
    }
  }

  LPARAM extra_info() {
    switch (below(4)) {
      case 0: return static_cast<LPARAM>(0xFF515700u | below(0x100));
      case 1: return static_cast<LPARAM>(bits());
      default: return 0;
    }
  }

  std::u16string units() {
    std::u16string text(below(300), u'\0');
    for (char16_t& unit : text) unit = static_cast<char16_t>(below(4) == 0 ? 0xD800 + below(0x800) : below(0x10000));
    return text;
  }

 private:
  std::mt19937 random_;
};

class procedure_fuzz : public canvas_test, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(procedure_fuzz, random_messages_keep_the_record_consistent) {
  message_stream stream(GetParam());
  window_runtime* window = &open_window();
  for (uint64_t step = 0; step < 50000; ++step) {
    HWND handle = window->window_handle;
    const uint32_t choice = stream.below(20);
    if (choice == 0) {
      const UINT32 pointer = stream.below(8);
      sim_set_pointer_type(pointer, static_cast<POINTER_INPUT_TYPE>(stream.below(6)));
      if (stream.below(2) == 0) sim_set_pen(pointer, stream.below(5000), static_cast<PEN_MASK>(stream.below(4)));
    } else if (choice == 1) {
      sim_set_ime(handle, stream.units(), stream.units());
    } else if (choice == 2) {
      std::vector<std::u16string> paths(stream.below(3));
      for (std::u16string& path : paths) path = stream.units();
      sim_drop(handle, paths);
    } else if (choice == 3) {
      std::vector<TOUCHINPUT> points(stream.below(4));
      for (TOUCHINPUT& point : points) {
        point.x = static_cast<LONG>(stream.bits());
        point.y = static_cast<LONG>(stream.bits());
        point.dwID = static_cast<DWORD>(stream.bits());
        point.dwFlags = static_cast<DWORD>(stream.below(8));
      }
      sim_touch(handle, points, stream.extra_info());
    } else if (choice < 12) {
      sim_post(handle, stream.message(), stream.parameter(), static_cast<LPARAM>(stream.parameter()),
                    stream.extra_info());
    } else {
      window_procedure(handle, stream.message(), stream.parameter(), static_cast<LPARAM>(stream.parameter()));
    }
    if (stream.below(4) == 0) pump_messages();
    expect_invariants(*window, step);
    if (HasFatalFailure()) return;
    if (window->window_handle == nullptr) {
      // Detached from its window by the stream: carry on with a fresh one while ids last.
      CloseAllWindows();
      ASSERT_LE(registry().next_id, 16) << "the stream detached too many windows; step " << step;
      window = &open_window();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(seeds, procedure_fuzz, ::testing::Values(1u, 7u, 1234u, 0xC0FFEEu));

}  // namespace
