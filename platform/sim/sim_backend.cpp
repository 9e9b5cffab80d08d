// The sim's platform_backend: a desktop without a screen.
#include <utility>

#include "platform/core/core.h"
#include "platform/sim/sim_state.h"

namespace {

// US layout: what a key gives with and without shift.
std::u16string us_layout_text(WPARAM vk, bool shift, bool caps) {
  if (vk >= 'A' && vk <= 'Z') {
    char16_t c = static_cast<char16_t>(shift != caps ? vk : vk - 'A' + 'a');
    return std::u16string(1, c);
  }
  static const char16_t digits_shifted[] = u")!@#$%^&*(";
  if (vk >= '0' && vk <= '9') return std::u16string(1, shift ? digits_shifted[vk - '0'] : static_cast<char16_t>(vk));
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return std::u16string(1, static_cast<char16_t>('0' + vk - VK_NUMPAD0));
  struct oem {
    WPARAM vk;
    char16_t plain;
    char16_t shifted;
  };
  static const oem oems[] = {{VK_SPACE, ' ', ' '},      {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},
                             {VK_OEM_COMMA, ',', '<'},  {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'},
                             {VK_OEM_2, '/', '?'},      {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
                             {VK_OEM_5, '\\', '|'},     {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
                             {VK_MULTIPLY, '*', '*'},   {VK_ADD, '+', '+'},       {VK_SUBTRACT, '-', '-'},
                             {VK_DECIMAL, '.', '.'},    {VK_DIVIDE, '/', '/'},    {VK_RETURN, '\r', '\r'},
                             {VK_BACK, 8, 8},           {VK_TAB, '\t', '\t'},     {VK_ESCAPE, 27, 27}};
  for (const oem& o : oems)
    if (o.vk == vk) return std::u16string(1, shift ? o.shifted : o.plain);
  return {};
}

class sim_backend final : public platform_backend {
 public:
  native_handle create_window(const backend_window_desc& desc) override {
    sim_desktop& d = sim();
    native_handle id = d.next_native++;
    sim_native_window& w = d.windows[id];
    w.window = desc.window;
    w.client = desc.client;
    w.min_client = desc.min_client;
    w.max_client = desc.max_client;
    w.title = desc.title;
    return id;
  }
  void destroy_window(native_handle window) override {
    sim_desktop& d = sim();
    auto found = d.windows.find(window);
    if (found == d.windows.end()) return;
    if (d.foreground == found->second.window) d.foreground = nullptr;
    if (d.grab == window) d.grab = 0;
    d.windows.erase(found);
  }
  void set_show_state(native_handle window, backend_show_state state) override {
    if (auto* w = find(window)) w->state = state;
  }
  bool request_show_state(native_handle window, backend_show_state state, bool activate) override {
    auto* w = find(window);
    if (!w || !sim().window_manager_carries) return false;
    sim().requests.push_back({w->window, false, state, activate});
    return true;
  }
  bool request_activation(native_handle window) override {
    auto* w = find(window);
    if (!w || !sim().window_manager_carries) return false;
    sim().requests.push_back({w->window, true, backend_show_state::hidden, true});
    return true;
  }
  void set_client_rect(native_handle window, const RECT& client) override {
    if (auto* w = find(window)) w->client = client;
  }
  void set_title(native_handle window, const std::u16string& title) override {
    if (auto* w = find(window)) w->title = title;
  }
  void set_size_limits(native_handle window, SIZE min_client, SIZE max_client) override {
    if (auto* w = find(window)) {
      w->min_client = min_client;
      w->max_client = max_client;
    }
  }
  RECT frame_insets(DWORD style, DWORD) override {
    if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME)) return sim().frame_insets;
    return RECT{0, 0, 0, 0};
  }
  RECT default_window_rect() override { return sim().default_rect; }
  RECT work_area(native_handle window) override {
    sim_desktop& d = sim();
    std::uintptr_t monitor = 1;
    if (auto* w = find(window)) monitor = w->monitor;
    auto found = d.work_areas.find(monitor);
    if (found == d.work_areas.end()) found = d.work_areas.begin();
    return found == d.work_areas.end() ? RECT{0, 0, 1920, 1040} : found->second;
  }
  void begin_move(native_handle window, POINT) override {
    if (auto* w = find(window)) ++w->move_requests;
  }

  void pump_events() override {
    std::vector<std::function<void()>> events = std::move(sim().pending);
    sim().pending.clear();
    for (auto& event : events) event();
  }

  bool cursor_pos(POINT& point) override {
    point = sim().cursor;
    return true;
  }
  bool async_key_down(int virtual_key) override {
    return virtual_key >= 0 && virtual_key < 256 && sim().keys_down[virtual_key];
  }
  std::u16string key_text(UINT message, WPARAM virtual_key, LPARAM) override {
    auto found = sim().key_text.find(virtual_key);
    if (found != sim().key_text.end()) return found->second;
    bool shift = GetKeyState(VK_SHIFT) & 0x8000;
    bool caps = GetKeyState(VK_CAPITAL) & 1;
    bool control = GetKeyState(VK_CONTROL) & 0x8000;
    if (control && message == WM_KEYDOWN) {
      if (virtual_key >= 'A' && virtual_key <= 'Z') return std::u16string(1, static_cast<char16_t>(virtual_key - 'A' + 1));
      return {};
    }
    return us_layout_text(virtual_key, shift, caps);
  }
  HWND foreground_window() override { return sim().foreground; }
  void activate_window(native_handle window) override {
    auto* w = find(window);
    sim().foreground = w ? w->window : nullptr;
  }
  void set_capture(native_handle window) override { sim().grab = window; }
  void set_cursor(int cursor_id) override { sim().cursor_shape = cursor_id; }

  UINT window_dpi(native_handle window) override {
    auto* w = find(window);
    return w ? w->dpi : 0;
  }
  std::uintptr_t window_monitor(native_handle window, DWORD flags) override {
    auto* w = find(window);
    if (w && w->monitor) return w->monitor;
    return flags == MONITOR_DEFAULTTONULL ? 0 : 1;
  }

  const std::vector<backend_pixel_format>& pixel_formats(native_handle) override { return sim().formats; }
  native_handle set_pixel_format(native_handle window, int) override { return find(window) ? window : 0; }

  native_handle create_context(native_handle window, int) override {
    sim_desktop& d = sim();
    native_handle id = d.next_native++;
    d.contexts[id].window = window;
    return id;
  }
  void delete_context(native_handle context) override {
    sim_desktop& d = sim();
    if (d.current_context == context) d.current_context = d.current_window = 0;
    d.contexts.erase(context);
  }
  bool make_current(native_handle window, native_handle context) override {
    sim_desktop& d = sim();
    if (context && (!find(window) || !d.contexts.count(context))) return false;
    d.current_window = window;
    d.current_context = context;
    return true;
  }
  bool swap_buffers(native_handle window) override {
    auto* w = find(window);
    if (!w) return false;
    ++w->swaps;
    ++sim().swap_total;
    return true;
  }
  PROC get_proc_address(const char* name) override {
    auto missing = sim().missing_procs.find(name);
    if (missing != sim().missing_procs.end()) return reinterpret_cast<PROC>(missing->second);
    return platform_wgl_extension(name);
  }

  native_handle create_font(const backend_font_request& request) override {
    native_handle id = sim().next_native++;
    sim().fonts[id] = request;
    return id;
  }
  void delete_font(native_handle font) override { sim().fonts.erase(font); }
  bool use_font_bitmaps(native_handle font, DWORD first, DWORD count, DWORD list_base) override {
    sim_gl_context* gl = sim_current_gl();
    if (!gl) return false;
    gl->font_lists[list_base] = sim_font_lists{font, first, count};
    return true;
  }

  void register_touch(native_handle window) override {
    if (auto* w = find(window)) w->touch = true;
  }
  void accept_files(native_handle window, bool accept) override {
    if (auto* w = find(window)) w->accept_files = accept;
  }
  void drop_finished(std::uintptr_t) override { ++sim().drops_finished; }

 private:
  static sim_native_window* find(native_handle window) {
    auto found = sim().windows.find(window);
    return found == sim().windows.end() ? nullptr : &found->second;
  }
};

}  // namespace

platform_backend& platform_backend_get() {
  static sim_backend backend;
  return backend;
}
