// The sim's test interface.
#include <cstring>

#include "platform/core/core.h"
#include "platform/core/core_state.h"
#include "platform/sim/sim_state.h"

namespace {

HRESULT WINAPI dwm_set_window_attribute(HWND window, DWORD attribute, LPCVOID value, DWORD size) {
  DWORD word = 0;
  if (value && size >= sizeof word) std::memcpy(&word, value, sizeof word);
  if (PLATFORM_FAILS("DwmSetWindowAttribute", platform_arg(window), platform_arg_unsigned(attribute),
                     platform_arg_unsigned(word), platform_arg_unsigned(size)))
    return E_FAIL;
  return core_find(window) ? S_OK : E_FAIL;
}

void post_later(std::function<void()> event) { sim().pending.push_back(std::move(event)); }

// Recording is on from the start of a test process.
const bool recording_from_start = (platform_calls().recording = true);

}  // namespace

sim_desktop& sim() {
  static sim_desktop desktop = [] {
    sim_desktop d;
    d.formats = sim_default_formats();
    return d;
  }();
  return desktop;
}

sim_gl_context* sim_current_gl() {
  sim_desktop& d = sim();
  auto found = d.contexts.find(d.current_context);
  return found == d.contexts.end() ? nullptr : &found->second;
}

sim_native_window* sim_native_of(HWND window) {
  auto found = sim().windows.find(platform_native_window(window));
  return found == sim().windows.end() ? nullptr : &found->second;
}

backend_pixel_format sim_pixel_format(int color_bits, int alpha_bits, int depth_bits, int stencil_bits, bool srgb,
                                      bool double_buffer) {
  backend_pixel_format f;
  PIXELFORMATDESCRIPTOR& p = f.descriptor;
  p.nSize = sizeof p;
  p.nVersion = 1;
  p.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (double_buffer ? PFD_DOUBLEBUFFER : 0);
  p.iPixelType = PFD_TYPE_RGBA;
  p.cColorBits = static_cast<BYTE>(color_bits);
  int channel = color_bits >= 24 ? 8 : color_bits / 3;
  p.cRedBits = p.cGreenBits = p.cBlueBits = static_cast<BYTE>(channel);
  p.cRedShift = 16;
  p.cGreenShift = 8;
  p.cBlueShift = 0;
  p.cAlphaBits = static_cast<BYTE>(alpha_bits);
  p.cAlphaShift = static_cast<BYTE>(alpha_bits ? 24 : 0);
  p.cDepthBits = static_cast<BYTE>(depth_bits);
  p.cStencilBits = static_cast<BYTE>(stencil_bits);
  p.iLayerType = PFD_MAIN_PLANE;
  f.attributes = {{WGL_DRAW_TO_WINDOW_ARB, 1},
                  {WGL_SUPPORT_OPENGL_ARB, 1},
                  {WGL_DOUBLE_BUFFER_ARB, double_buffer ? 1 : 0},
                  {WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB},
                  {WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB},
                  {WGL_COLOR_BITS_ARB, color_bits},
                  {WGL_RED_BITS_ARB, channel},
                  {WGL_GREEN_BITS_ARB, channel},
                  {WGL_BLUE_BITS_ARB, channel},
                  {WGL_ALPHA_BITS_ARB, alpha_bits},
                  {WGL_DEPTH_BITS_ARB, depth_bits},
                  {WGL_STENCIL_BITS_ARB, stencil_bits},
                  {WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB, srgb ? 1 : 0}};
  return f;
}

std::vector<backend_pixel_format> sim_default_formats() {
  return {sim_pixel_format(32, 8, 24, 8, true), sim_pixel_format(32, 8, 24, 8, false),
          sim_pixel_format(24, 0, 24, 8, false)};
}

void sim_reset() {
  bool recording = sim().recording;
  bool calls_recording = platform_calls().recording;
  core_reset();
  sim() = sim_desktop{};
  sim().formats = sim_default_formats();
  sim().recording = recording;
  platform_calls() .calls.clear();
  platform_calls().clear_failures();
  platform_calls().recording = calls_recording;
}

void sim_post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LPARAM extra_info) {
  platform_post(window, message, wParam, lParam, extra_info);
}

void sim_key(HWND window, WPARAM virtual_key, bool down, bool repeat) {
  // Scan codes of the PC keyboard for the keys that have an obvious one.
  static const char letters[] = "\x1e\x30\x2e\x20\x12\x21\x22\x23\x17\x24\x25\x26\x32\x31\x18\x19\x10\x13\x1f\x14\x16\x2f\x11\x2d\x15\x2c";
  LPARAM scan = 0;
  if (virtual_key >= 'A' && virtual_key <= 'Z') scan = static_cast<unsigned char>(letters[virtual_key - 'A']);
  if (virtual_key == VK_ESCAPE) scan = 0x01;
  if (virtual_key == VK_SHIFT) scan = 0x2A;
  if (virtual_key == VK_RETURN) scan = 0x1C;
  if (virtual_key == VK_SPACE) scan = 0x39;
  LPARAM lParam = 1 | (scan << 16);
  if (repeat || !down) lParam |= 1 << 30;
  if (!down) lParam |= static_cast<LPARAM>(1u << 31);
  bool alt = (GetKeyState(VK_MENU) & 0x8000) || (virtual_key == VK_MENU && down);
  if (alt) lParam |= 1 << 29;
  UINT message = down ? WM_KEYDOWN : WM_KEYUP;
  if (alt || virtual_key == VK_F10) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  platform_post(window, message, virtual_key, lParam);
}

void sim_mouse(HWND window, UINT message, WPARAM wParam, POINT screen, LPARAM extra_info) {
  post_later([=] { platform_post_mouse(window, message, wParam, screen, extra_info); });
}

void sim_set_key_text(WPARAM virtual_key, const std::u16string& text) { sim().key_text[virtual_key] = text; }

void sim_move_window(HWND window, const RECT& client) {
  post_later([=] {
    if (sim_native_window* w = sim_native_of(window)) w->client = client;
    platform_window_configured(window, client);
  });
}

void sim_set_window_state(HWND window, backend_show_state state, const RECT* client) {
  const bool has_client = client != nullptr;
  const RECT area = client ? *client : RECT{};
  post_later([=] {
    if (sim_native_window* w = sim_native_of(window)) {
      w->state = state;
      if (has_client) w->client = area;
    }
    platform_window_state_changed(window, state, has_client ? &area : nullptr);
  });
}

void sim_request_close(HWND window) {
  post_later([=] { platform_close_requested(window); });
}

void sim_destroy_externally(HWND window) {
  post_later([=] { platform_window_destroyed(window); });
}

HWND sim_foreign_window() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x7F000010)); }

void sim_set_foreground(HWND window) {
  sim().foreground = window;
  post_later([=] { platform_foreground_changed(platform_native_window(window) ? window : nullptr); });
}

HWND sim_foreground() { return sim().foreground; }

void sim_set_window_manager_carries_changes(bool carries) { sim().window_manager_carries = carries; }

std::vector<sim_request> sim_window_manager_requests() { return sim().requests; }

void sim_set_focus(HWND window) {
  post_later([=] { SetFocus(window); });
}

void sim_set_cursor_pos(POINT point) { sim().cursor = point; }

void sim_set_key_down(int virtual_key, bool down) {
  if (virtual_key >= 0 && virtual_key < 256) sim().keys_down[virtual_key] = down;
}

void sim_break_capture() {
  post_later([] {
    sim().grab = 0;
    platform_capture_lost();
  });
}

bool sim_pointer_grabbed(HWND window) {
  native_handle native = platform_native_window(window);
  return native && sim().grab == native;
}

int sim_cursor_shape() { return sim().cursor_shape; }

void sim_set_window_dpi(HWND window, UINT dpi) {
  if (sim_native_window* w = sim_native_of(window)) w->dpi = dpi;
}

void sim_set_window_monitor(HWND window, std::uintptr_t monitor) {
  if (sim_native_window* w = sim_native_of(window)) w->monitor = monitor;
}

void sim_set_monitor_work_area(std::uintptr_t monitor, const RECT& work_area) { sim().work_areas[monitor] = work_area; }

void sim_set_frame_insets(const RECT& insets) { sim().frame_insets = insets; }

void sim_set_default_window_rect(const RECT& rect) { sim().default_rect = rect; }

backend_show_state sim_window_state(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w ? w->state : backend_show_state::hidden;
}

RECT sim_window_client(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w ? w->client : RECT{};
}

SIZE sim_window_min_client(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w ? w->min_client : SIZE{};
}

SIZE sim_window_max_client(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w ? w->max_client : SIZE{};
}

std::u16string sim_window_title(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w ? w->title : std::u16string();
}

bool sim_accepts_files(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w && w->accept_files;
}

bool sim_touch_registered(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w && w->touch;
}

int sim_move_requests(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w ? w->move_requests : 0;
}

void sim_set_pixel_formats(const std::vector<backend_pixel_format>& formats) { sim().formats = formats; }

void sim_set_proc_address(const std::string& name, std::intptr_t answer) { sim().missing_procs[name] = answer; }

void sim_set_proc_present(const std::string& name) { sim().missing_procs.erase(name); }

void sim_set_srgb_framebuffer_works(bool works) { sim().srgb_works = works; }

void sim_set_texture_internal_format(GLint format, bool writes) {
  sim().texture_format = format;
  sim().texture_query_writes = writes;
}

void sim_set_dwmapi_present(bool present) {
  std::vector<std::pair<std::string, FARPROC>> procs;
  if (present)
    procs.push_back({"DwmSetWindowAttribute",
                     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&dwm_set_window_attribute))});
  platform_register_library("dwmapi.dll", procs);
}

HTOUCHINPUT sim_touch(HWND window, const std::vector<TOUCHINPUT>& inputs, LPARAM extra_info) {
  return platform_post_touch(window, inputs, extra_info);
}

void sim_set_pointer_type(UINT32 pointer_id, POINTER_INPUT_TYPE type) {
  platform_set_pointer(pointer_id, type, nullptr);
}

void sim_set_pen(UINT32 pointer_id, UINT32 pressure, PEN_MASK mask) {
  POINTER_PEN_INFO pen{};
  pen.pointerInfo.pointerType = PT_PEN;
  pen.pointerInfo.pointerId = pointer_id;
  pen.penMask = mask;
  pen.pressure = pressure;
  platform_set_pointer(pointer_id, PT_PEN, &pen);
}

void sim_set_ime(HWND window, const std::u16string& composition, const std::u16string& result) {
  platform_set_ime_strings(window, composition, result);
}

HDROP sim_drop(HWND window, const std::vector<std::u16string>& paths, POINT point) {
  return platform_post_drop(window, paths, point, 0);
}

int sim_drops_finished() { return sim().drops_finished; }

void sim_fail(const std::string& name, int nth) { platform_calls().fail(name, nth); }

void sim_clear_failures() { platform_calls().clear_failures(); }

void sim_record(bool on) {
  platform_calls().recording = on;
  sim().recording = on;
}

const std::vector<platform_call>& sim_calls() { return platform_calls().calls; }

std::vector<platform_call> sim_calls_named(const std::string& name) {
  std::vector<platform_call> out;
  for (const platform_call& c : platform_calls().calls)
    if (c.name == name) out.push_back(c);
  return out;
}

void sim_clear_calls() { platform_calls().calls.clear(); }

const std::vector<sim_gl_call>& sim_gl_calls() { return sim().gl_calls; }

std::vector<sim_gl_call> sim_gl_calls_named(const std::string& name) {
  std::vector<sim_gl_call> out;
  for (const sim_gl_call& c : sim().gl_calls)
    if (c.name == name) out.push_back(c);
  return out;
}

void sim_clear_gl_calls() { sim().gl_calls.clear(); }

int sim_list_glyph(std::uint32_t list) {
  sim_gl_context* gl = sim_current_gl();
  if (!gl) return -1;
  for (const auto& entry : gl->font_lists) {
    std::uint32_t base = entry.first;
    if (list >= base && list - base < entry.second.count) return static_cast<int>(entry.second.first_char + (list - base));
  }
  return -1;
}

bool sim_gl_enabled(GLenum capability) {
  sim_gl_context* gl = sim_current_gl();
  return gl && gl->enabled.count(capability);
}

int sim_swap_count(HWND window) {
  sim_native_window* w = sim_native_of(window);
  return w ? w->swaps : 0;
}

int sim_swap_total() { return sim().swap_total; }
