#pragma once
// The runtime's window on a real X server, changed by "another client" (a
// connection of its own), by window managers and by the program: what the
// server shows, what the layer shows, the window procedure's messages, and the
// changes themselves. Shared by the table of changes and the random sequences.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "window_canvas/window_runtime.h"
// Xlib after gtest and the Win32 declarations: its macros clash with both.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/types.h>

#include "platform/x11/tests/x11_test_support.h"

namespace x11_changes {

constexpr int window_width = 400;
constexpr int window_height = 300;
// The runtime's chrome: the caption band's rows and where it ends on the
// right, the border strips, and the minimize and maximize areas at the top right.
constexpr int caption_rows = 54;
constexpr int caption_right_margin = 152;
constexpr int border = 8;
constexpr int minimize_area_from_right = 3 * 46 - 23;  // the middle of each, on row 20
constexpr int maximize_area_from_right = 2 * 46 - 23;

// What the X server shows of the window and the focus.
struct server_view {
  bool managed = false;  // a window manager runs
  Window wm_check = 0;   // the root's _NET_SUPPORTING_WM_CHECK
  Window focus = 0;
  Window net_active = 0;  // _NET_ACTIVE_WINDOW under a window manager
  Window parent = 0;
  int map_state = IsUnmapped;
  unsigned long wm_state = WithdrawnState;  // also when absent
  bool maximized = false;                   // _NET_WM_STATE_MAXIMIZED_VERT and _HORZ
  RECT client{};                            // on the root
  RECT frame{};  // the root's child that holds the window, its border included
};

std::string describe(const RECT& r);
std::string describe(const server_view& v);

// One message handed to the window procedure.
struct procedure_message {
  UINT message = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  UINT position_flags = 0;  // WM_WINDOWPOSCHANGED: its WINDOWPOS flags
};
std::string describe(const std::vector<procedure_message>& messages);

// The layer's answers for the window at one moment.
struct layer_state {
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
  bool focused = false;
};

// What the messages of one change show that neither the server nor Windows
// would: a state left and taken again within the change, WM_QUERYOPEN for a
// window that stays minimized, the iconic position without the minimized size,
// WM_SIZE of a hidden window before it is shown, a minimize while it keeps the
// focus. Empty when none.
std::string message_faults(const std::vector<procedure_message>& messages, const layer_state& before,
                           const layer_state& after);

// What a window manager does with the requests the tests make. Without one the
// layer carries out the window's own changes itself, and nobody takes another
// client's requests.
struct window_manager_kind {
  const char* name;
  bool ewmh;          // _NET_SUPPORTED, _NET_WM_STATE, _NET_ACTIVE_WINDOW
  bool names_focus;   // _NET_ACTIVE_WINDOW follows the X focus, whoever sets it
  bool keeps_places;  // a window keeps the size and place a client asks for (no tiles)
  bool maximizes;     // maximized through _NET_WM_STATE, or by the layer's configure
  bool iconifies;     // WM_CHANGE_STATE Iconic
  bool activates;     // _NET_ACTIVE_WINDOW
  std::vector<const char*> restart;  // the command that restarts it in place; empty when none
};
const window_manager_kind& no_window_manager();
// The kind QUON_X11_WM names (openbox | twm | evilwm | i3), openbox when it
// names none: the test stage's window manager, and the one a test starts itself.
const window_manager_kind& configured_window_manager();

// A window manager of our own, of the configured kind.
class window_manager_process {
public:
  window_manager_process() = default;
  window_manager_process(const window_manager_process&) = delete;
  window_manager_process& operator=(const window_manager_process&) = delete;
  ~window_manager_process() { stop(SIGKILL); }

  bool start();
  bool running() const;
  void stop(int signal);

private:
  pid_t pid_ = -1;
  std::string config_dir_;
};

// Runs a program (never outliving this process), output discarded; its exit
// status, -1 when it could not start or did not end within `seconds`.
int run_program(const std::vector<const char*>& argv, double seconds, const std::function<void()>& meanwhile);

// The runtime's window and the other client's connection, in a process of its
// own (run_in_child). Its helpers are public: the changes use them.
class changes_session {
public:
  changes_session() = default;
  changes_session(const changes_session&) = delete;
  changes_session& operator=(const changes_session&) = delete;
  ~changes_session();

  // The connections and the message recording; then the window, shown active.
  void start();
  void open();
  // Closes everything; no X error went unseen meanwhile.
  void finish();

  // A step of a change: its messages are checked at end_step.
  void begin_step();
  void end_step(const std::string& what);

  Atom atom(const char* name) { return XInternAtom(other, name, False); }
  // Pumps through the runtime (KeyPressed of a key nobody presses pumps and never throws).
  void pump();
  bool wait_for(const std::function<bool()>& done, double seconds = 5.0);
  bool wait_server(const std::function<bool(const server_view&)>& done, double seconds = 5.0);
  // Lets the window system act on a request that may change nothing.
  void let_it_act();

  server_view read_server();
  // The kind of the window manager that runs, or no_window_manager().
  const window_manager_kind& running_kind();
  layer_state read_layer();
  // Every way the layer's view differs from the server's; empty when none does.
  std::string mismatches();
  // Pumps until the layer's view has matched the server's for a quarter of a
  // second; the last mismatch when it does not within the time.
  std::string settle(double seconds = 6.0);

  // A point of the client area on the screen, clear of the borders, the
  // caption band and other windows; false when there is none.
  bool client_point(POINT& point);
  // The deepest window at a point of the screen.
  Window topmost_at(POINT point);
  void click_at(POINT point);
  // A press and release on row 20 of the client area, this far from its right edge.
  void click_from_right(int from_right);
  void pointer_over();
  void pointer_away();
  // A click activates the window, sets the X focus to it and counts; keys reach
  // it. Empty when all of that holds, else what did not.
  std::string click_takes_keys();

  // Another client's window, mapped, at the bottom right of the screen.
  Window foreign_window();
  void set_focus(Window to);
  // A request about the window to the window manager, as a pager (source 2) sends it.
  void send_to_root(Atom type, long a, long b, long c);
  // Another client's _NET_WM_STATE add-maximized and WM_CHANGE_STATE Iconic,
  // flushed but not synced: more may follow in the same batch.
  void send_maximize();
  void send_iconify();

  // The changes. Those that wait return what they waited for in vain, empty
  // when it came; each wait lasts at most `wait_seconds`.
  std::string unmap_by_other();
  std::string map_by_other();
  void resize_by_other(unsigned width, unsigned height);
  void move_by_other(int x, int y);
  std::string iconify_request();
  std::string maximize_request();
  std::string activate_request();
  std::string grab_keyboard();
  void ungrab_keyboard();
  void reparent_into_foreign();
  void reparent_to_root(int x, int y);
  // The own areas: they wait for what the window manager carries out, and check
  // that nothing changed where it refuses.
  std::string own_minimize();
  std::string own_maximize();
  // A press on the caption band, the pointer moved by (dx, dy) in steps, a release.
  void drag_caption(int dx, int dy);
  std::string start_window_manager();
  std::string stop_window_manager(int signal);
  // The window manager that runs ends and starts again in place (`openbox
  // --restart`, `i3-msg restart`), managing the window as it did.
  std::string restart_window_manager();

  double wait_seconds = 5.0;
  Display* display = nullptr;  // the back-end's
  Display* other = nullptr;
  Window root = 0;
  RECT screen{};
  window_runtime* window = nullptr;
  HWND handle = nullptr;
  unsigned long xid = 0;
  Window foreign = 0;
  window_manager_process manager;
  std::vector<procedure_message> messages;  // of the current step
  // The record's visible follows WM_SHOWWINDOW, which a change of state of a
  // hidden window does not send (as under Windows): shown so, the record is
  // not compared.
  bool notified_visible = true;
  bool shown_without_notice = false;

private:
  static void record_message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  unsigned long property_item(Window on, Atom property, Atom type);

  unsigned long errors_at_start_ = 0;
  layer_state step_start_{};
  bool finished_ = false;
};

// How a body run in a child process ended.
struct child_outcome {
  enum { passed, failed, skipped, crashed, timed_out } kind = crashed;
  int status = 0;      // the exit status, or the signal that ended it
  std::string report;  // the lines the child wrote to its report descriptor
};

// Runs body in a child process: the runtime opens at most 16 windows in a
// process's life. The child reports lines to the parent through the descriptor
// it is given (report_line) and ends as its gtest assertions say. A process
// that holds the back-end's connection already starts the child afresh (this
// test alone, in a new process image, with `environment` added), so that the
// two never share it. A child still running after `seconds` is killed.
child_outcome run_in_child(const std::function<void(int report_fd)>& body, double seconds,
                           const std::vector<std::pair<std::string, std::string>>& environment = {});
void report_line(int report_fd, const std::string& line);
// Whether this process is a child that run_in_child started afresh.
bool in_child_process();
// Holds the display for one test (x11_display_lock), except in a child started
// afresh: its parent holds it for it.
class display_hold {
public:
  display_hold();

private:
  std::optional<x11_display_lock> lock_;
};
// Whether a window manager runs, asked on a connection of its own (the
// back-end's stays closed); false also without a server. `reachable` tells
// whether a server answered.
bool window_manager_on_display(bool& reachable);

}  // namespace x11_changes
