#pragma once
// The sim desktop and GL driver state shared by the sim's sources.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

struct sim_native_window {
  HWND window = nullptr;
  backend_show_state state = backend_show_state::hidden;
  RECT client{};
  SIZE min_client{};
  SIZE max_client{};
  std::u16string title;
  UINT dpi = 96;
  std::uintptr_t monitor = 1;
  bool touch = false;
  bool accept_files = false;
  int move_requests = 0;
  int swaps = 0;
};

struct sim_font_lists {
  native_handle font = 0;
  std::uint32_t first_char = 0;
  std::uint32_t count = 0;
};

struct sim_gl_context {
  native_handle window = 0;
  std::set<GLenum> enabled;
  GLuint list_base = 0;
  GLuint next_list = 1;
  GLuint next_texture = 1;
  GLuint bound_texture = 0;
  std::map<GLuint, GLint> textures;  // name -> internal format given
  std::map<std::uint32_t, sim_font_lists> font_lists;  // list base -> glyphs
};

struct sim_desktop {
  std::map<native_handle, sim_native_window> windows;
  std::map<native_handle, sim_gl_context> contexts;
  std::map<native_handle, backend_font_request> fonts;
  native_handle next_native = 1;
  std::vector<std::function<void()>> pending;  // native events for the next pump

  bool window_manager_carries = false;
  std::vector<sim_request> requests;
  HWND foreground = nullptr;
  POINT cursor{0, 0};
  bool keys_down[256]{};
  native_handle grab = 0;
  int cursor_shape = 32512;
  RECT frame_insets{8, 31, 8, 8};
  RECT default_rect{26, 26, 1306, 746};
  std::map<std::uintptr_t, RECT> work_areas{{1, RECT{0, 0, 1920, 1040}}};
  std::map<WPARAM, std::u16string> key_text;

  std::vector<backend_pixel_format> formats;
  std::map<std::string, std::intptr_t> missing_procs;
  bool srgb_works = true;
  GLint texture_format = 0;
  bool texture_query_writes = true;

  native_handle current_window = 0;
  native_handle current_context = 0;
  int swap_total = 0;
  int drops_finished = 0;
  std::vector<sim_gl_call> gl_calls;
  bool recording = true;
};

sim_desktop& sim();
sim_gl_context* sim_current_gl();
sim_native_window* sim_native_of(HWND window);
std::vector<backend_pixel_format> sim_default_formats();
