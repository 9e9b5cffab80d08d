#include <string>

#include "window_canvas/canvas.h"
#include "window_canvas/message_pump.h"
#include "window_canvas/window_registry.h"

namespace {

std::string lower_case(std::string_view name) {
  std::string lowered(name);
  for (char& byte : lowered) {
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte - 'A' + 'a');
  }
  return lowered;
}

int button_virtual_key(const std::string& name) {
  if (name == "left" || name == "primary" || name == "l") return VK_LBUTTON;
  if (name == "right" || name == "secondary" || name == "r") return VK_RBUTTON;
  if (name == "middle" || name == "m") return VK_MBUTTON;
  return 0;
}

struct named_key {
  const char* name;
  int virtual_key;
};

constexpr named_key named_keys[] = {
    {"left", 0x25},   {"right", 0x27},  {"up", 0x26},       {"down", 0x28},     {"space", 0x20},
    {"enter", 0x0D},  {"return", 0x0D}, {"tab", 0x09},      {"home", 0x24},     {"end", 0x23},
    {"pageup", 0x21}, {"pagedown", 0x22}, {"escape", 0x1B}, {"esc", 0x1B},      {"shift", 0x10},
};

// 0 for a name that names no key.
int key_virtual_key(const std::string& name) {
  if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') return name[0] - 'a' + 'A';
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return name[0];
  if (name.size() == 2 && name[0] == 'f' && name[1] >= '1' && name[1] <= '9') return VK_F1 + (name[1] - '1');
  if (name == "f10") return VK_F10;
  if (name == "f11") return VK_F11;
  if (name == "f12") return VK_F12;
  for (const named_key& key : named_keys) {
    if (name == key.name) return key.virtual_key;
  }
  return 0;
}

int32_t mouse_coordinate(const char* api_name, bool horizontal) {
  const window_runtime* window = require_open_window(api_name);
  if (!any_window_focused()) return -1;
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return -1;
  if (!ScreenToClient(window->window_handle, &cursor)) return -1;
  return horizontal ? cursor.x : cursor.y;
}

}  // namespace

int32_t MouseX() { return mouse_coordinate("MouseX", true); }

int32_t MouseY() { return mouse_coordinate("MouseY", false); }

bool MouseDown(std::string_view button) {
  if (!any_window_focused()) return false;
  const int virtual_key = button_virtual_key(lower_case(button));
  if (virtual_key == 0) return false;
  // The high bit: the button is down at this moment.
  return (static_cast<uint16_t>(GetAsyncKeyState(virtual_key)) & 0x8000u) != 0;
}

bool KeyPressed(std::string_view key) {
  pump_messages();
  window_runtime* window = window_registry::instance().current_window();
  const int virtual_key = key_virtual_key(lower_case(key));
  if (window == nullptr || !window->open || !window->focused || window->window_handle == nullptr) return false;
  if (GetForegroundWindow() != window->window_handle) return false;
  if (virtual_key < 1 || virtual_key > 255 || window->press_counts[virtual_key] == 0) return false;
  --window->press_counts[virtual_key];
  return true;
}
