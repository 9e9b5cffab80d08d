#pragma once
// Internal: the x11 back-end's connection and per-window state, shared by its
// window, event and GL sources.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <bitset>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/core.h"
#include "platform/x11/font_faces.h"
#include "platform/x11/glx_formats.h"
#include "platform/x11/monitors.h"
#include "platform/x11/window_state.h"
#include "platform/x11/x11_atoms.h"
#include "platform/x11/xdnd_target.h"
#include "platform/x11/xim_input.h"

class x11_backend;

// One of our windows. Its address is the native handle, stable even when the X
// window under it is recreated for a pixel format.
struct x11_window final : preedit_sink {
  x11_backend* backend = nullptr;
  HWND window = nullptr;
  Window xid = 0;
  Window owner = 0;
  Colormap colormap = 0;
  VisualID visual = 0;
  int format = 0;
  DWORD style = 0;
  XIC input_context = nullptr;
  SIZE min_client{};  // size limits for the window manager (all 0: none)
  SIZE max_client{};
  // What the server showed at the last reading; dirty: an event may have
  // changed it since.
  server_facts facts;
  bool dirty = true;
  bool moved = false;  // only its place and size changed, as facts.client says
  Window parent = 0;   // the X parent: the root, or a window manager's frame
  // The window manager's frame, the child of the root that holds it (0: on
  // the root), and where the frame was last: a frame moved moves the window,
  // told by the frame's own configure.
  Window frame = 0;
  POINT frame_at{};
  unsigned long read_serial = 0;  // the first request of the last full reading
  bool focus_wanted = false;  // the program activated it before it was viewable
  // Shown maximized under a window manager without EWMH's maximize: asked
  // for the work area less the frame once it is viewable in one.
  bool maximize_when_framed = false;
  // A click asked the window manager to activate it: unanswered for a step,
  // the layer gives it the focus itself, as ICCCM lets a client with input.
  bool focus_fallback = false;
  std::chrono::steady_clock::time_point focus_fallback_at{};
  // A state or geometry asked of a window manager: the core has it already and
  // keeps it until the server shows it, the window manager answers, or the
  // request is given up.
  bool state_requested = false;
  backend_show_state requested_state = backend_show_state::hidden;
  std::chrono::steady_clock::time_point state_requested_at{};
  bool geometry_requested = false;
  unsigned long geometry_serial = 0;  // a configure from at or after it answers
  std::chrono::steady_clock::time_point geometry_requested_at{};
  // Maximized by the layer itself (no window manager, or one without EWMH's
  // maximize) to this client area.
  bool layer_maximized = false;
  RECT layer_maximized_client{};
  // A maximize or restore the layer asked of a window manager by a configure
  // request (one without EWMH's maximize): taken once a configure from at or
  // after layer_serial answers it, given up after a window manager's step.
  enum class layer_change { none, maximize, restore };
  layer_change layer_asked = layer_change::none;
  unsigned long layer_serial = 0;
  bool layer_answered = false;
  RECT layer_from{};  // the client area when it was asked
  std::chrono::steady_clock::time_point layer_asked_at{};
  // A minimize, maximize or restore asked of the window manager
  // (request_show_state), until the server shows it or a step passes.
  std::optional<backend_show_state> asked;
  std::chrono::steady_clock::time_point asked_at{};
  RECT asked_from{};  // the client area then
  // Maximized by the layer before a window manager came: the window manager
  // knows no size to restore it to, so a restore gives it the core's.
  bool handed_over_maximized = false;
  // A state the server shows whose area has not come yet (a window manager
  // writes the property before it configures): held for one step.
  bool report_held = false;
  std::chrono::steady_clock::time_point report_held_at{};
  // Marked iconic while viewable, or normal while unmapped, since then: a
  // marking the map state contradicts for longer than a step is stale.
  bool contradicted = false;
  std::chrono::steady_clock::time_point contradicted_since{};
  bool iconic_hint = false;  // WM_HINTS asks a window manager to take it iconic
  bool accepts_files = false;
  bool touch = false;
  bool composing = false;
  bool destroyed_elsewhere = false;  // another client or the server destroyed the X window
  std::u16string title;

  void preedit_started() override;
  void preedit_changed(const preedit_text& text) override;
  void preedit_done() override;
};

struct x11_context {
  GLXContext context = nullptr;
  int format = 0;
};

// The text of a key press, kept until TranslateMessage asks for it.
struct pending_key_text {
  WPARAM virtual_key;
  LPARAM lparam;
  std::u16string text;
};

class x11_backend final : public platform_backend {
public:
  x11_backend();
  ~x11_backend() override;

  Display* display() const { return display_; }
  x11_window* find_xid(Window xid) const;

  // platform_backend
  native_handle create_window(const backend_window_desc& desc) override;
  void destroy_window(native_handle window) override;
  void set_show_state(native_handle window, backend_show_state state) override;
  bool request_show_state(native_handle window, backend_show_state state, bool activate) override;
  bool request_activation(native_handle window) override;
  void set_client_rect(native_handle window, const RECT& client) override;
  void set_title(native_handle window, const std::u16string& title) override;
  void set_size_limits(native_handle window, SIZE min_client, SIZE max_client) override;
  RECT frame_insets(DWORD style, DWORD ex_style) override;
  RECT default_window_rect() override;
  RECT work_area(native_handle window) override;
  void begin_move(native_handle window, POINT point) override;
  void pump_events() override;
  bool cursor_pos(POINT& point) override;
  bool async_key_down(int virtual_key) override;
  std::u16string key_text(UINT message, WPARAM virtual_key, LPARAM lParam) override;
  HWND foreground_window() override;
  void activate_window(native_handle window) override;
  void set_capture(native_handle window) override;
  void set_cursor(int cursor_id) override;
  UINT window_dpi(native_handle window) override;
  std::uintptr_t window_monitor(native_handle window, DWORD flags) override;
  const std::vector<backend_pixel_format>& pixel_formats(native_handle window) override;
  native_handle set_pixel_format(native_handle window, int format) override;
  native_handle create_context(native_handle window, int format) override;
  void delete_context(native_handle context) override;
  bool make_current(native_handle window, native_handle context) override;
  bool swap_buffers(native_handle window) override;
  PROC get_proc_address(const char* name) override;
  native_handle create_font(const backend_font_request& request) override;
  void delete_font(native_handle font) override;
  bool use_font_bitmaps(native_handle font, DWORD first, DWORD count, DWORD list_base) override;
  void register_touch(native_handle window) override;
  void accept_files(native_handle window, bool accept) override;
  void drop_finished(std::uintptr_t token) override;

private:
  friend struct x11_window;
  static x11_window* window_of(native_handle window);
  bool window_manager_running();
  void read_window_manager();
  // (Re)creates the X window of w on a visual with the client area client;
  // false on a protocol error.
  bool make_x_window(x11_window& w, Visual* visual, int depth, const RECT& client);
  void apply_window_properties(x11_window& w, const RECT& client);
  // WM_HINTS with the state a window manager gives the window when it maps it.
  void set_initial_state(x11_window& w, int state);
  void set_normal_hints(x11_window& w, const RECT& client);
  void send_wm_state(x11_window& w, bool add, Atom first, Atom second);
  // Maximize or restore by a configure request to a window manager without
  // EWMH's maximize: the work area less the frame it adds, or the core's area.
  void ask_layer_change(x11_window& w, x11_window::layer_change change, const RECT& client);
  // The client area w has maximized by a window manager without EWMH's
  // maximize: the work area less the frame it put around w.
  RECT maximized_client(x11_window& w);
  void send_active_window(x11_window& w);
  // Gives w the X input focus itself (ICCCM's passive input), raised.
  void focus_window(x11_window& w);
  // _NET_WM_STATE maximized, as a client says it of a window not yet managed.
  void write_maximized_state(x11_window& w);
  void move_resize(x11_window& w, const RECT& client);
  // Holds a state asked of a window manager until the server shows it.
  void request_state(x11_window& w, backend_show_state state);
  glx_format_list& formats();
  // The monitors as last read from the server.
  const std::vector<monitor_area>& monitors_now();
  Cursor cursor_for(int cursor_id);  // created on first use, kept to the end
  // The keysym the X keyboard mapping gives a virtual key at the shift level, 0
  // when no key has it.
  KeySym layout_keysym(WPARAM virtual_key, LPARAM lParam, bool shift);
  // The core's view of w (its state and areas).
  platform_window_view view_of(const x11_window& w) const;

  // A caption drag without a window manager: the window follows the pointer
  // until the button is released.
  void begin_move_by_hand(x11_window& w, POINT press);
  void follow_pointer(int root_x, int root_y);
  void end_move();
  // Takes the pointer events of a move by hand; false for any other event.
  bool handle_move_event(XEvent& event);
  // Asks the window manager to end its move (the button was released first).
  void cancel_window_manager_move(x11_window& w);

  // Events (x11_events.cpp).
  void handle_event(XEvent& event);
  void handle_key(x11_window& w, XEvent& event);
  void handle_button(x11_window& w, const XButtonEvent& event, bool press);
  void handle_client_message(x11_window& w, XEvent& event);
  void handle_input2(XEvent& event);
  // Brings the core up to the server: what events touched is read again and
  // the differences reported (before input, and after the queue is drained).
  void settle();
  // Reads the server's facts of w, then tells the core the show state and
  // geometry that differ from what it holds.
  void reconcile(x11_window& w);
  bool read_facts(x11_window& w);
  // The root's window manager check changed: a window manager started, ended
  // or restarted, or wrote its property again.
  void window_manager_check_changed();
  // Hands the states the layer or the window manager made over to the other.
  void window_manager_arrived();
  void window_manager_left();
  // The X input focus read again: the core's active window follows it, and the
  // key state follows the server's when the focus is one of ours.
  void sync_focus();
  void sync_keys(x11_window& w);
  Window input_focus();
  bool read_pointer();
  // Calls act for each of our windows that still exists when its turn comes.
  void for_each_window(const std::function<void(x11_window&)>& act);
  // Follows the frame w is in now (after a reparenting).
  void follow_frame(x11_window& w);
  void forget_frame(x11_window& w);
  // Takes the pointer's place and buttons from a pointer event.
  void note_pointer(const XEvent& event);
  // Replaces a motion event by the last of the motions queued right behind it.
  void compress_motion(XEvent& event);
  void post_text(x11_window& w, const std::u16string& text, bool system);
  void select_input2(x11_window& w);
  void query_input2_devices();
  WPARAM mouse_key_state(unsigned int state) const;

  Display* display_ = nullptr;
  int screen_ = 0;
  Window root_ = 0;
  x11_atoms atoms_{};
  std::unique_ptr<glx_format_list> formats_;
  std::vector<backend_pixel_format> pixel_formats_;  // built on first request
  xim_input xim_;
  std::unique_ptr<xdnd_target> xdnd_;
  std::unordered_map<Window, x11_window*> windows_;
  std::unordered_map<Window, x11_window*> frames_;  // a window manager's frame -> the window in it
  std::set<x11_context*> contexts_;
  std::set<font_face*> fonts_;
  std::unique_ptr<font_face> system_font_;
  std::map<std::uintptr_t, xdnd_drop> drops_;
  std::uintptr_t next_drop_token_ = 1;
  std::deque<pending_key_text> key_texts_;
  std::bitset<256> keys_down_;
  std::array<unsigned char, 256> key_virtual_keys_{};  // what each held key code reported
  std::map<int, Cursor> cursors_;
  int cursor_id_ = 32512;
  Window capture_ = 0;
  // The current GL binding, so that repeated makes of the same pair cost nothing.
  x11_window* current_window_ = nullptr;
  x11_context* current_context_ = nullptr;
  std::vector<std::pair<unsigned long, std::uintptr_t>> monitor_ids_;  // RandR name -> HMONITOR value
  std::vector<monitor_area> monitors_;
  bool monitors_known_ = false;
  int randr_event_base_ = -1;
  UINT dpi_ = 0;  // 0: to be read from the root's resources
  int input2_opcode_ = -1;
  std::map<int, int> pen_pressure_valuator_;  // XI2 device id -> its pressure valuator
  std::map<int, std::pair<double, double>> pressure_ranges_;
  bool input2_queried_ = false;
  std::chrono::steady_clock::time_point last_socket_poll_{};
  struct window_move {
    x11_window* window = nullptr;  // null: no move
    POINT press{};   // where the drag started, screen coordinates
    POINT origin{};  // the client area's top-left then
    POINT target{};  // where it was last sent
  };
  window_move move_;
  // The running window manager, as last read from the server.
  struct window_manager_facts {
    bool present = false;
    Window owner = 0;        // the WM_S<screen> selection owner, 0 for none
    Window check = 0;        // its EWMH check window, 0 for none
    bool maximizes = false;  // _NET_WM_STATE maximized is among what it supports
    bool moves = false;      // _NET_WM_MOVERESIZE
    bool activates = false;  // _NET_ACTIVE_WINDOW
  };
  window_manager_facts window_manager_;
  bool window_manager_known_ = false;
  Atom wm_selection_ = 0;  // WM_S<screen>
  bool window_manager_check_changed_ = false;
  Time last_user_time_ = CurrentTime;  // of the last key or button event
  Window last_press_ = 0;              // the window of the last button press
  std::chrono::steady_clock::time_point last_press_at_{};
  // A window manager went away: the layer waits a moment for one to come back
  // (a restart) before it takes the windows over.
  bool window_manager_leaving_ = false;
  // A window manager came: the layer hands the windows over after its first step.
  bool window_manager_arriving_ = false;
  std::chrono::steady_clock::time_point window_manager_arrived_at_{};
  std::chrono::steady_clock::time_point window_manager_left_at_{};
  bool dirty_ = false;       // some window's facts are to be read again
  bool requests_ = false;    // some window holds a request for the window manager
  bool focus_dirty_ = false;  // a focus event arrived: the focus is to be read again
  // The input state as last read from the server, until the next events.
  bool focus_known_ = false;
  Window focus_ = 0;
  bool pointer_known_ = false;
  POINT pointer_{};
  unsigned int pointer_mask_ = 0;
  bool keymap_known_ = false;
  std::array<char, 32> keymap_{};
  x11_window* window_manager_move_ = nullptr;  // a move asked of the window manager, until the release
};
