#include "window_canvas/input_recording.h"

#include <algorithm>
#include <vector>

#include "window_canvas/message_words.h"

namespace {

// The signature in the upper 24 bits of the extra info of mouse messages that
// the system synthesises from touch and pen input.
constexpr uint32_t synthesised_mouse_mask = 0xFFFFFF00u;
constexpr uint32_t synthesised_mouse_signature = 0xFF515700u;

bool is_high_surrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
uint32_t pair_code_point(uint32_t high, uint32_t low) { return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00); }

bool is_printable(uint32_t code_point) {
  return code_point >= 32 && code_point != 127 && code_point <= 0x10FFFF && !(code_point >= 0xD800 && code_point <= 0xDFFF);
}

// Appends the UTF-8 form of a printable code point when text stays within the limit.
bool append_utf8(std::string& text, uint32_t code_point) {
  if (!is_printable(code_point)) return false;
  char bytes[4];
  std::size_t length = 0;
  if (code_point < 0x80) {
    bytes[length++] = static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    bytes[length++] = static_cast<char>(0xC0 | (code_point >> 6));
    bytes[length++] = static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    bytes[length++] = static_cast<char>(0xE0 | (code_point >> 12));
    bytes[length++] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    bytes[length++] = static_cast<char>(0xF0 | (code_point >> 18));
    bytes[length++] = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | (code_point & 0x3F));
  }
  if (text.size() + length > text_input_limit) return false;
  text.append(bytes, length);
  return true;
}

void take_press_snapshot(window_runtime& window) {
  window.press_snapshot = {static_cast<int64_t>(window.event_sequence),
                           window.pointer_id,
                           window.pointer_kind,
                           window.pointer_pressure,
                           window.pointer_x,
                           window.pointer_y,
                           window.pointer_raw_x,
                           window.pointer_raw_y,
                           window.pointer_engaged};
}

}  // namespace

void window_runtime::record_key_event(uint64_t virtual_key, LPARAM lParam, bool down) {
  event_arg0 = virtual_key;
  event_arg1 = virtual_key;
  const uint64_t modifier = virtual_key == VK_SHIFT     ? modifier_shift
                            : virtual_key == VK_CONTROL ? modifier_control
                            : virtual_key == VK_MENU    ? modifier_alt
                                                        : 0;
  if (down) {
    modifiers |= modifier;
  } else {
    modifiers &= ~modifier;
  }
  key_modifiers = modifiers;
  // The previous-key-state bit, or a repeat count above 1.
  const bool repeat = (static_cast<uint64_t>(lParam) & 0x4000FFFEu) != 0;
  key_repeat = repeat ? 1 : 0;
  if (down && !repeat && virtual_key <= 255 && press_counts[virtual_key] < 255) ++press_counts[virtual_key];
  stamp_event(down ? event_key_down : event_key_up);
}

void window_runtime::record_pointer_event(int64_t code, int64_t event_pointer_id, int64_t kind, WPARAM wParam, LPARAM lParam,
                                          int64_t pressure, bool pointer_message) {
  if (kind == pointer_kind_mouse && code <= event_mouse_wheel &&
      (static_cast<uint32_t>(GetMessageExtraInfo()) & synthesised_mouse_mask) == synthesised_mouse_signature)
    return;
  pointer_id = event_pointer_id;
  pointer_kind = kind;
  pointer_buttons = pointer_message ? static_cast<int64_t>((wParam >> 16) & 0x1F) : static_cast<int64_t>(wParam & 0xFFFF);
  pointer_pressure = pressure != -1 ? pressure : (code == event_pointer_down ? 1000 : 0);
  wheel_delta = code == event_mouse_wheel ? high_word_signed(wParam) : 0;
  // A lost capture carries the new capture window in lParam and a cancelled
  // mode carries nothing: both keep the last position.
  if (code != event_capture_lost && code != event_pointer_cancelled) {
    POINT point = message_point(lParam);
    pointer_raw_x = point.x;
    pointer_raw_y = point.y;
    if (pointer_message || code == event_mouse_wheel) ScreenToClient(window_handle, &point);
    pointer_x = point.x;
    pointer_y = point.y;
  }
  if (code == event_capture_lost || code == event_pointer_cancelled) {
    pointer_engaged = 0;
  } else if (code == event_pointer_down) {
    pointer_engaged = 1;
  } else {
    pointer_engaged = window_handle != nullptr && GetCapture() == window_handle ? 1 : 0;
  }
  capture_lost = code == event_capture_lost ? 1 : 0;
  pointer_cancelled = code == event_pointer_cancelled ? 1 : 0;
  stamp_event(code);
  if (code == event_pointer_down) take_press_snapshot(*this);
}

void window_runtime::receive_utf16(uint16_t unit) {
  if (is_high_surrogate(unit)) {
    pending_high_surrogate = unit;
    return;
  }
  const uint16_t high = pending_high_surrogate;
  pending_high_surrogate = 0;
  if (is_low_surrogate(unit)) {
    if (is_high_surrogate(high)) append_text_input(pair_code_point(high, unit));
    return;
  }
  append_text_input(unit);
}

void window_runtime::append_text_input(uint32_t code_point) {
  if (append_utf8(text_input, code_point)) ++text_input_count;
}

void append_composition_utf8(std::string& text, uint32_t code_point) { append_utf8(text, code_point); }

void record_pointer_message(window_runtime& window, UINT message, WPARAM wParam, LPARAM lParam) {
  const UINT32 id = static_cast<UINT32>(wParam & 0xFFFF);
  POINTER_INPUT_TYPE type = PT_POINTER;
  if (!GetPointerType(id, &type)) return;
  int64_t kind = 0;
  if (type == PT_MOUSE) kind = pointer_kind_mouse;
  if (type == PT_TOUCH) kind = pointer_kind_touch;
  if (type == PT_PEN) kind = pointer_kind_pen;
  if (kind == 0) return;
  const int64_t code = message == WM_POINTERDOWN ? event_pointer_down
                       : message == WM_POINTERUP ? event_pointer_up
                                                 : event_pointer_move;
  int64_t pressure = code == event_pointer_down ? 1000 : 0;
  if (kind == pointer_kind_pen) {
    POINTER_PEN_INFO pen{};
    if (GetPointerPenInfo(id, &pen) && (pen.penMask & PEN_MASK_PRESSURE) != 0) {
      // Pen pressure is 0..1024; recorded pressure is 0..1000.
      const uint64_t scaled = uint64_t{pen.pressure} * 1000;
      pressure = scaled >= 1024000 ? 1000 : static_cast<int64_t>(scaled / 1024);
    }
  }
  window.record_pointer_event(code, id, kind, wParam, lParam, pressure, true);
}

void record_touch_batch(window_runtime& window, WPARAM wParam, LPARAM lParam) {
  const UINT count = static_cast<UINT>(wParam & 0xFFFF);
  HTOUCHINPUT batch = reinterpret_cast<HTOUCHINPUT>(lParam);
  std::vector<TOUCHINPUT> points(count);
  if (count > 0 && GetTouchInputInfo(batch, count, points.data(), sizeof(TOUCHINPUT))) {
    for (const TOUCHINPUT& touch : points) {
      ++window.touch_contacts;
      // Touch positions are in hundredths of a screen pixel.
      const POINT screen{touch.x / 100, touch.y / 100};
      POINT client = screen;
      ScreenToClient(window.window_handle, &client);
      const bool down = (touch.dwFlags & TOUCHEVENTF_DOWN) != 0;
      const int64_t code = down ? event_pointer_down
                           : (touch.dwFlags & TOUCHEVENTF_UP) != 0 ? event_pointer_up
                                                                   : event_pointer_move;
      window.pointer_kind = pointer_kind_touch;
      window.pointer_buttons = down ? 1 : 0;
      window.pointer_id = touch.dwID;
      window.pointer_pressure = code == event_pointer_down ? 1000 : 0;
      window.wheel_delta = 0;
      window.pointer_x = client.x;
      window.pointer_y = client.y;
      window.pointer_raw_x = screen.x;
      window.pointer_raw_y = screen.y;
      window.pointer_engaged = code == event_pointer_down ? 1 : 0;
      window.capture_lost = 0;
      window.pointer_cancelled = 0;
      window.stamp_event(code);
      if (code == event_pointer_down) take_press_snapshot(window);
    }
  }
  CloseTouchInputHandle(batch);
}

void record_composition(window_runtime& window, HWND handle, LPARAM lParam) {
  const DWORD kind = (lParam & GCS_RESULTSTR) != 0 ? GCS_RESULTSTR : GCS_COMPSTR;
  WCHAR units[256] = {};
  std::size_t unit_count = 0;
  if (HIMC context = ImmGetContext(handle); context != nullptr) {
    const LONG size = ImmGetCompositionStringW(context, kind, nullptr, 0);
    if (size > 0) {
      const DWORD limit = static_cast<DWORD>(std::min<LONG>(size, sizeof(units))) & ~DWORD{1};
      const LONG read = ImmGetCompositionStringW(context, kind, units, limit);
      if (read > 0) unit_count = std::min<std::size_t>(static_cast<std::size_t>(read), limit) / 2;
    }
    ImmReleaseContext(handle, context);
  }
  if (kind == GCS_RESULTSTR) {
    for (std::size_t i = 0; i < unit_count; ++i) window.receive_utf16(static_cast<uint16_t>(units[i]));
    window.pending_high_surrogate = 0;
    window.composing = 0;
    window.composition.clear();
    ++window.composition_revision;
    return;
  }
  window.composing = 1;
  std::string text;
  for (std::size_t i = 0; i < unit_count; ++i) {
    const uint32_t unit = static_cast<uint16_t>(units[i]);
    if (is_high_surrogate(unit)) {
      if (i + 1 < unit_count && is_low_surrogate(static_cast<uint16_t>(units[i + 1]))) {
        append_composition_utf8(text, pair_code_point(unit, static_cast<uint16_t>(units[i + 1])));
        ++i;
      }
      continue;
    }
    if (!is_low_surrogate(unit)) append_composition_utf8(text, unit);
  }
  window.composition = std::move(text);
  ++window.composition_revision;
}

void record_file_drop(window_runtime& window, WPARAM wParam) {
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  window.event_arg0 = 0;
  window.event_arg1 = count;
  window.dropped_path.clear();
  if (count == 1) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length >= 1 && length <= 32767) {
      std::vector<WCHAR> path(length + 1, 0);
      if (DragQueryFileW(drop, 0, path.data(), length + 1) == length) {
        path[length] = 0;
        const int size = WideCharToMultiByte(CP_UTF8, 0, path.data(), -1, nullptr, 0, nullptr, nullptr);
        if (size > 1) {
          std::string utf8(static_cast<std::size_t>(size), '\0');
          if (WideCharToMultiByte(CP_UTF8, 0, path.data(), -1, utf8.data(), size, nullptr, nullptr) == size) {
            utf8.resize(static_cast<std::size_t>(size) - 1);
            window.dropped_path = std::move(utf8);
            window.event_arg0 = 1;
          }
        }
      }
    }
  }
  DragFinish(drop);
  window.stamp_event(event_file_drop);
}
