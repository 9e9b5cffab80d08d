// Other clients and window managers change the window or the focus: after each
// change the layer's view (Win32 answers and the runtime's record) must be what
// the X server shows, and a click must make the window take keys again.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
#include "window_canvas/canvas.h"
#include "window_canvas/window_registry.h"
// Xlib after gtest and the Win32 declarations: its macros clash with both.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/x11/error_trap.h"
#include "platform/x11/tests/x11_test_support.h"

namespace {

using clock_type = std::chrono::steady_clock;

constexpr int window_width = 400;
constexpr int window_height = 300;
// The runtime's chrome: the caption band's rows, the border strips and the
// minimize and maximize areas at the top right.
constexpr int caption_rows = 54;
constexpr int border = 8;
constexpr int minimize_area_from_right = 3 * 46 - 23;  // the middle of each, on row 20
constexpr int maximize_area_from_right = 2 * 46 - 23;

// What the X server shows of the window and the focus.
struct server_view {
  bool managed = false;  // a window manager runs
  Window focus = 0;
  Window net_active = 0;  // _NET_ACTIVE_WINDOW under a window manager
  int map_state = IsUnmapped;
  unsigned long wm_state = WithdrawnState;  // also when absent
  bool maximized = false;                   // _NET_WM_STATE_MAXIMIZED_VERT and _HORZ
  RECT client{};                            // on the root
};

std::string describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) + " x " +
         std::to_string(r.bottom - r.top);
}

// A window manager of our own (openbox), for the rows where one starts or ends.
class window_manager_process {
public:
  window_manager_process() = default;
  window_manager_process(const window_manager_process&) = delete;
  window_manager_process& operator=(const window_manager_process&) = delete;
  ~window_manager_process() { stop(SIGKILL); }

  bool start() {
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the test
      const int null = open("/dev/null", O_RDWR);
      dup2(null, 1);
      dup2(null, 2);
      execlp("openbox", "openbox", "--sm-disable", "--config-file", "/dev/null", static_cast<char*>(nullptr));
      _exit(127);
    }
    return pid_ > 0;
  }
  bool running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  void stop(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

private:
  pid_t pid_ = -1;
};

class changed_by_others;

// Which runs of the suite a row belongs to: with the test stage's window
// manager, without one, or both. Rows that start a window manager of their own
// need a display without one.
enum class needs { any, no_window_manager };

struct step {
  const char* what;
  std::function<void(changed_by_others&)> act;
};

struct change_row {
  const char* id;  // the test's name
  const char* name;
  needs where;
  std::vector<step> steps;
};

// gtest names a failed case's parameter by this.
void PrintTo(const change_row& row, std::ostream* out) { *out << row.name; }

// The rows' steps below use its helpers: all of it is public.
class changed_by_others : public testing::TestWithParam<change_row> {
public:
  void SetUp() override {
    if (!x11_server_available()) GTEST_SKIP() << "no X server (DISPLAY)";
    display = x11_backend_display();
    other = open_test_display();
    ASSERT_NE(other, nullptr);
    root = DefaultRootWindow(other);
    screen = {0, 0, DisplayWidth(other, DefaultScreen(other)), DisplayHeight(other, DefaultScreen(other))};
  }
  void TearDown() override {
    CloseAllWindows();
    if (other) {
      xtest_restore_keymap(other);
      XCloseDisplay(other);
    }
  }

  Atom atom(const char* name) { return XInternAtom(other, name, False); }

  // Pumps through the runtime (KeyPressed of a key nobody presses pumps and never throws).
  void pump() {
    XSync(display, False);
    KeyPressed("f12");
  }
  bool wait_for(const std::function<bool()>& done, double seconds = 5.0) {
    return wait_until(done, [this] { pump(); }, seconds);
  }
  bool wait_server(const std::function<bool(const server_view&)>& done, double seconds = 5.0) {
    return wait_for([&] { return done(read_server()); }, seconds);
  }
  // Lets the window system act on a request that may change nothing.
  void let_it_act() {
    const auto end = clock_type::now() + std::chrono::milliseconds(150);
    while (clock_type::now() < end) {
      pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  void open() {
    OpenWindow("Kelvaro / Quon + Vantrel", window_width, window_height, 0);
    window = window_registry::instance().current_window();
    ASSERT_NE(window, nullptr);
    handle = window->window_handle;
    xid = x11_backend_window(handle);
    ASSERT_NE(xid, 0u);
    ASSERT_TRUE(wait_server([](const server_view& v) { return v.map_state == IsViewable; }));
  }

  unsigned long property_item(Window on, Atom property, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long items = 0, remaining = 0, value = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(other, on, property, 0, 1, False, type, &actual, &format, &items, &remaining, &data) ==
            Success &&
        data) {
      if (items == 1 && format == 32) value = *reinterpret_cast<unsigned long*>(data);
      XFree(data);
    }
    return value;
  }

  server_view read_server() {
    server_view v;
    x11_error_trap trap(other);
    XSync(other, False);
    v.managed = x11_window_manager_running(other);
    int revert = 0;
    XGetInputFocus(other, &v.focus, &revert);
    if (v.managed) v.net_active = property_item(root, atom("_NET_ACTIVE_WINDOW"), XA_WINDOW);
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    Window child = 0;
    if (XGetWindowAttributes(other, xid, &attributes) && XTranslateCoordinates(other, xid, root, 0, 0, &x, &y, &child)) {
      v.map_state = attributes.map_state;
      v.client = {x, y, x + attributes.width, y + attributes.height};
    }
    v.wm_state = property_item(xid, atom("WM_STATE"), atom("WM_STATE"));
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(other, xid, atom("_NET_WM_STATE"), 0, 64, False, XA_ATOM, &type, &format, &items,
                           &remaining, &data) == Success &&
        data) {
      bool vertical = false, horizontal = false;
      for (unsigned long i = 0; i < items; ++i) {
        const Atom state = reinterpret_cast<Atom*>(data)[i];
        vertical |= state == atom("_NET_WM_STATE_MAXIMIZED_VERT");
        horizontal |= state == atom("_NET_WM_STATE_MAXIMIZED_HORZ");
      }
      v.maximized = vertical && horizontal;
      XFree(data);
    }
    trap.ok();
    return v;
  }

  // Every way the layer's view differs from the server's; empty when none does.
  std::string mismatches() {
    const server_view v = read_server();
    std::string out;
    auto differ = [&](bool layer, bool server, const char* what) {
      if (layer != server) out += std::string(what) + (layer ? ": layer yes, server no; " : ": layer no, server yes; ");
    };
    const bool active = GetActiveWindow() == handle;
    differ(active, v.focus == xid, "active window / X input focus");
    differ(GetFocus() == handle, v.focus == xid, "focus / X input focus");
    differ(GetForegroundWindow() == handle, v.focus == xid, "foreground window / X input focus");
    differ(window->focused != 0, v.focus == xid, "record focused / X input focus");
    if (v.managed) differ(active, v.net_active == xid, "active window / _NET_ACTIVE_WINDOW");

    const bool viewable = v.map_state == IsViewable;
    const bool iconic = IsIconic(handle) != 0;
    differ(IsWindowVisible(handle) && !iconic, viewable, "shown and not minimized / viewable");
    differ(window->visible != 0, IsWindowVisible(handle) != 0, "record visible / IsWindowVisible");
    differ(window->minimized != 0, iconic, "record minimized / IsIconic");
    if (v.managed) {
      differ(iconic, v.wm_state == IconicState, "IsIconic / WM_STATE Iconic");
      if (viewable && !iconic) differ(IsZoomed(handle) != 0, v.maximized, "IsZoomed / _NET_WM_STATE maximized");
    }
    if (viewable && !iconic) {
      RECT client{};
      POINT origin{0, 0};
      GetClientRect(handle, &client);
      ClientToScreen(handle, &origin);
      const RECT layer{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
      const RECT record{window->position_x, window->position_y, window->position_x + window->client_width,
                        window->position_y + window->client_height};
      RECT outer{};
      GetWindowRect(handle, &outer);
      auto same = [](const RECT& a, const RECT& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
      };
      if (!same(layer, v.client)) out += "client area " + describe(layer) + ", X window " + describe(v.client) + "; ";
      if (!same(record, v.client)) out += "record " + describe(record) + ", X window " + describe(v.client) + "; ";
      if (!same(outer, v.client)) out += "window rect " + describe(outer) + ", X window " + describe(v.client) + "; ";
    }
    return out;
  }

  // Pumps until the layer's view has matched the server's for a quarter of a
  // second; the last mismatch when it does not within the time.
  std::string settle(double seconds = 6.0) {
    const auto end = clock_type::now() + std::chrono::duration<double>(seconds);
    auto matching_since = clock_type::now();
    bool matching = false;
    std::string last;
    while (clock_type::now() < end) {
      pump();
      last = mismatches();
      if (!last.empty()) {
        matching = false;
      } else if (!matching) {
        matching = true;
        matching_since = clock_type::now();
      } else if (clock_type::now() - matching_since > std::chrono::milliseconds(250)) {
        return "";
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return last;
  }

  // A point of the client area on the screen, clear of the borders and the
  // caption band; false when none is on the screen.
  bool client_point(POINT& point) {
    const RECT c = read_server().client;
    const RECT usable{std::max(c.left + border, screen.left), std::max(c.top + caption_rows, screen.top),
                      std::min(c.right - border, screen.right), std::min(c.bottom - border, screen.bottom)};
    if (usable.left >= usable.right || usable.top >= usable.bottom) return false;
    point = {(usable.left + usable.right) / 2, (usable.top + usable.bottom) / 2};
    return true;
  }
  void click_at(POINT point) {
    xtest_motion(other, point.x, point.y);
    let_it_act();
    xtest_button(other, 1, true);
    pump();
    xtest_button(other, 1, false);
  }
  // A press and release on row 20 of the client area, this far from its right edge.
  void click_from_right(int from_right) {
    const RECT c = read_server().client;
    click_at({c.right - from_right, c.top + 20});
  }
  void pointer_over() {
    const RECT c = read_server().client;
    xtest_motion(other, (c.left + c.right) / 2, (c.top + c.bottom) / 2);
  }
  void pointer_away() { xtest_motion(other, screen.right - 4, screen.bottom - 4); }

  // A click activates the window, sets the X focus to it and counts; keys reach it.
  std::string click_takes_keys() {
    POINT point{};
    if (!client_point(point)) return "no part of the client area is on the screen";
    click_at(point);
    if (!wait_for([&] { return GetActiveWindow() == handle && read_server().focus == xid && window->focused; }))
      return "the click did not activate the window";
    const RECT c = read_server().client;
    if (window->pointer_x != point.x - c.left || window->pointer_y != point.y - c.top)
      return "the click at client (" + std::to_string(point.x - c.left) + ", " + std::to_string(point.y - c.top) +
             ") was recorded at (" + std::to_string(window->pointer_x) + ", " + std::to_string(window->pointer_y) + ")";
    xtest_tap(other, XK_r);
    if (!wait_for([&] { return KeyPressed("R"); })) return "a key does not reach the window";
    return "";
  }

  // Another client's window, mapped, at the bottom right of the screen.
  Window foreign_window() {
    if (!foreign) {
      foreign = XCreateSimpleWindow(other, root, screen.right - 300, screen.bottom - 250, 200, 150, 0, 0, 0);
      XMapWindow(other, foreign);
      XSync(other, False);
      wait_until(
          [&] {
            XWindowAttributes attributes{};
            return XGetWindowAttributes(other, foreign, &attributes) && attributes.map_state == IsViewable;
          },
          [&] { pump(); });
    }
    return foreign;
  }
  void set_focus(Window to) {
    XSetInputFocus(other, to, RevertToPointerRoot, CurrentTime);
    XSync(other, False);
  }
  // A request about the window to the window manager, as a pager (source 2) sends it.
  void send_to_root(Atom type, long a, long b, long c) {
    send_client_message(other, root, SubstructureRedirectMask | SubstructureNotifyMask, xid, type, {a, b, c, 2, 0});
    XSync(other, False);
  }
  void start_window_manager() {
    ASSERT_TRUE(manager.start());
    ASSERT_TRUE(wait_for([&] { return x11_window_manager_running(other) || !manager.running(); }, 10))
        << "openbox did not start";
    ASSERT_TRUE(manager.running()) << "openbox did not start";
    // It takes the window into a frame of its own.
    ASSERT_TRUE(wait_server([](const server_view& v) { return v.wm_state == NormalState && v.map_state == IsViewable; }));
  }
  void stop_window_manager(int signal) {
    manager.stop(signal);
    ASSERT_TRUE(wait_for([&] { return !x11_window_manager_running(other); }));
    let_it_act();
  }

  // First, so that it is released last: after our window manager has ended.
  x11_display_lock lock;
  Display* display = nullptr;
  Display* other = nullptr;
  Window root = 0;
  RECT screen{};
  window_runtime* window = nullptr;
  HWND handle = nullptr;
  unsigned long xid = 0;
  Window foreign = 0;
  window_manager_process manager;
};

const step click_to_activate{"a click activates it", [](changed_by_others& t) {
                               POINT point{};
                               ASSERT_TRUE(t.client_point(point));
                               t.click_at(point);
                               t.wait_for([&] { return GetActiveWindow() == t.handle; });
                             }};

step focus_to(const char* what, bool pointer_over, std::function<Window(changed_by_others&)> target) {
  return {what, [=](changed_by_others& t) {
            if (pointer_over) t.pointer_over();
            else t.pointer_away();
            t.let_it_act();
            t.set_focus(target(t));
          }};
}

const step unmap_by_other{"another client unmaps it", [](changed_by_others& t) {
                            XUnmapWindow(t.other, t.xid);
                            XSync(t.other, False);
                            t.wait_server([](const server_view& v) { return v.map_state != IsViewable; });
                          }};
const step map_by_other{"another client maps it", [](changed_by_others& t) {
                          XMapWindow(t.other, t.xid);
                          XSync(t.other, False);
                          t.wait_server([](const server_view& v) { return v.map_state == IsViewable; });
                        }};

step resize_by_other(unsigned width, unsigned height) {
  return {"another client resizes it", [=](changed_by_others& t) {
            XResizeWindow(t.other, t.xid, width, height);
            XSync(t.other, False);
            t.let_it_act();
          }};
}
step move_by_other(int x, int y) {
  return {"another client moves it", [=](changed_by_others& t) {
            XMoveWindow(t.other, t.xid, x, y);
            XSync(t.other, False);
            t.let_it_act();
          }};
}

const step our_minimize{"its own minimize area", [](changed_by_others& t) {
                          t.click_from_right(minimize_area_from_right);
                          t.wait_for([&] { return IsIconic(t.handle) != 0; });
                          t.wait_server([](const server_view& v) { return v.map_state != IsViewable; });
                        }};
const step our_maximize{"its own maximize area", [](changed_by_others& t) {
                          t.click_from_right(maximize_area_from_right);
                          t.wait_for([&] { return IsZoomed(t.handle) != 0; });
                          t.wait_server([&](const server_view& v) {
                            return v.client.right - v.client.left > window_width && v.map_state == IsViewable;
                          });
                        }};

const change_row rows[] = {
    {"window_manager_starts", "a window manager starts", needs::no_window_manager,
     {{"openbox starts", [](changed_by_others& t) { t.start_window_manager(); }}}},
    {"window_manager_exits_pointer_over", "a window manager exits with the pointer over the window", needs::no_window_manager,
     {{"openbox starts", [](changed_by_others& t) { t.start_window_manager(); }},
      click_to_activate,
      {"openbox exits", [](changed_by_others& t) {
         t.pointer_over();
         t.stop_window_manager(SIGTERM);
       }}}},
    {"window_manager_killed", "a window manager is killed", needs::no_window_manager,
     {{"openbox starts", [](changed_by_others& t) { t.start_window_manager(); }},
      click_to_activate,
      {"openbox is killed", [](changed_by_others& t) { t.stop_window_manager(SIGKILL); }}}},
    {"window_manager_exits_while_minimized", "a window manager exits while the window is minimized", needs::no_window_manager,
     {{"openbox starts", [](changed_by_others& t) { t.start_window_manager(); }},
      our_minimize,
      {"openbox exits", [](changed_by_others& t) { t.stop_window_manager(SIGTERM); }}}},
    {"window_manager_starts_while_minimized", "a window manager starts while the window is minimized", needs::no_window_manager,
     {our_minimize,
      {"openbox starts", [](changed_by_others& t) {
         ASSERT_TRUE(t.manager.start());
         ASSERT_TRUE(t.wait_server([](const server_view& v) { return v.wm_state == IconicState; }))
             << "the window manager keeps it iconic";
       }},
      {"restored from the window manager (another client maps it)", [](changed_by_others& t) {
         XMapWindow(t.other, t.xid);
         XSync(t.other, False);
         t.wait_server([](const server_view& v) { return v.map_state == IsViewable; });
       }}}},
    {"focus_to_pointer_root_pointer_over", "the focus goes to PointerRoot, the pointer over the window", needs::any,
     {focus_to("focus to PointerRoot", true, [](changed_by_others&) -> Window { return PointerRoot; })}},
    {"focus_to_pointer_root_pointer_away", "the focus goes to PointerRoot, the pointer away", needs::any,
     {focus_to("focus to PointerRoot", false, [](changed_by_others&) -> Window { return PointerRoot; })}},
    {"focus_to_none_pointer_over", "the focus goes to none, the pointer over the window", needs::any,
     {focus_to("focus to None", true, [](changed_by_others&) -> Window { return None; })}},
    {"focus_to_none_pointer_away", "the focus goes to none, the pointer away", needs::any,
     {focus_to("focus to None", false, [](changed_by_others&) -> Window { return None; })}},
    {"focus_to_other_window_pointer_over", "the focus goes to another client's window, the pointer over ours", needs::any,
     {focus_to("focus to another client's window", true, [](changed_by_others& t) { return t.foreign_window(); })}},
    {"focus_to_other_window_pointer_away", "the focus goes to another client's window, the pointer away", needs::any,
     {focus_to("focus to another client's window", false, [](changed_by_others& t) { return t.foreign_window(); })}},
    {"focus_given_by_other", "another client gives the window the focus", needs::any,
     {focus_to("focus to PointerRoot", false, [](changed_by_others&) -> Window { return PointerRoot; }),
      focus_to("focus to the window", true, [](changed_by_others& t) -> Window { return t.xid; })}},
    {"keyboard_grab_by_other", "another client grabs the keyboard and lets it go", needs::any,
     {{"a keyboard grab", [](changed_by_others& t) {
         XGrabKeyboard(t.other, t.root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
         XSync(t.other, False);
         t.let_it_act();
       }},
      {"the grab's end", [](changed_by_others& t) {
         XUngrabKeyboard(t.other, CurrentTime);
         XSync(t.other, False);
         t.let_it_act();
       }}}},
    {"unmap_and_map_by_other", "another client unmaps and maps the window", needs::any, {unmap_by_other, map_by_other}},
    {"iconify_request_then_map", "iconified through WM_CHANGE_STATE, then mapped", needs::any,
     {{"WM_CHANGE_STATE IconicState", [](changed_by_others& t) {
         XIconifyWindow(t.other, t.xid, DefaultScreen(t.other));
         XSync(t.other, False);
         t.let_it_act();
       }},
      map_by_other}},
    {"maximize_request_by_other", "maximized through _NET_WM_STATE by another client", needs::any,
     {{"_NET_WM_STATE add maximized", [](changed_by_others& t) {
         t.send_to_root(t.atom("_NET_WM_STATE"), 1, static_cast<long>(t.atom("_NET_WM_STATE_MAXIMIZED_VERT")),
                        static_cast<long>(t.atom("_NET_WM_STATE_MAXIMIZED_HORZ")));
         t.let_it_act();
       }}}},
    {"activate_request_by_other", "activated through _NET_ACTIVE_WINDOW by another client", needs::any,
     {focus_to("focus to another client's window", false, [](changed_by_others& t) { return t.foreign_window(); }),
      {"_NET_ACTIVE_WINDOW", [](changed_by_others& t) {
         t.send_to_root(t.atom("_NET_ACTIVE_WINDOW"), 2, CurrentTime, 0);
         t.let_it_act();
       }}}},
    {"minimized_resized_mapped", "minimized, resized by another client, mapped", needs::any,
     {our_minimize, resize_by_other(300, 250), map_by_other}},
    {"minimized_moved_mapped", "minimized, moved by another client, mapped", needs::any,
     {our_minimize, move_by_other(164, 164), map_by_other}},
    {"minimized_resized_restored", "minimized, resized by another client, restored by the program", needs::any,
     {our_minimize, resize_by_other(300, 250),
      {"ShowWindow SW_RESTORE", [](changed_by_others& t) {
         ShowWindow(t.handle, SW_RESTORE);
         t.wait_server([](const server_view& v) { return v.map_state == IsViewable; });
       }}}},
    {"maximized_resized", "maximized, resized by another client", needs::any, {our_maximize, resize_by_other(500, 400)}},
    {"maximized_moved", "maximized, moved by another client", needs::any, {our_maximize, move_by_other(100, 100)}},
    {"maximized_unmapped_mapped", "maximized, unmapped and mapped by another client", needs::any,
     {our_maximize, unmap_by_other, map_by_other}},
    {"maximized_minimized_mapped", "maximized, minimized, mapped by another client", needs::any,
     {our_maximize, our_minimize, map_by_other}},
    {"maximized_minimized_resized_mapped", "maximized, minimized, resized by another client, mapped", needs::any,
     {our_maximize, our_minimize, resize_by_other(500, 400), map_by_other}},
    {"maximized_minimized_restored_twice", "maximized, minimized, restored twice by the program", needs::any,
     {our_maximize, our_minimize,
      {"ShowWindow SW_RESTORE (maximized again)", [](changed_by_others& t) {
         ShowWindow(t.handle, SW_RESTORE);
         t.wait_server([](const server_view& v) { return v.map_state == IsViewable; });
       }},
      {"ShowWindow SW_RESTORE (normal)", [](changed_by_others& t) {
         ShowWindow(t.handle, SW_RESTORE);
         t.let_it_act();
       }}}},
    {"resized_beyond_the_screen", "resized beyond the screen by another client", needs::any, {resize_by_other(1280, 1100)}},
    // The smallest size leaves no plain client area to click: it grows again first.
    {"resized_below_the_minimum", "resized below the minimum by another client, then back", needs::any,
     {resize_by_other(40, 20), resize_by_other(window_width, window_height)}},
    {"moved_partly_off_the_screen", "moved partly off the screen by another client", needs::any, {move_by_other(-150, -120)}},
    {"moved_off_the_screen_and_back", "moved off the screen and back by another client", needs::any,
     {move_by_other(3000, 2500), move_by_other(200, 150)}},
    {"reparented_and_back", "reparented into another client's window and back", needs::no_window_manager,
     {{"into another client's window", [](changed_by_others& t) {
         XReparentWindow(t.other, t.xid, t.foreign_window(), 20, 10);
         XResizeWindow(t.other, t.foreign, 600, 500);
         XMoveWindow(t.other, t.foreign, 100, 100);
         XSync(t.other, False);
         t.let_it_act();
       }},
      {"back to the root", [](changed_by_others& t) {
         XReparentWindow(t.other, t.xid, t.root, 150, 160);
         XSync(t.other, False);
         t.let_it_act();
       }}}},
};

}  // namespace

TEST_P(changed_by_others, the_layer_keeps_showing_what_the_server_shows) {
  const change_row& row = GetParam();
  const bool managed = x11_window_manager_running(other);
  if (managed && row.where == needs::no_window_manager) GTEST_SKIP() << "starts a window manager of its own";
  SCOPED_TRACE(row.name);
  open();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(wait_for([&] { return GetActiveWindow() == handle && window->focused; })) << "shown active";
  for (const step& s : row.steps) {
    s.act(*this);
    if (HasFatalFailure()) return;
    EXPECT_EQ(settle(), "") << "after: " << s.what;
  }
  if (read_server().map_state == IsViewable) {
    EXPECT_EQ(click_takes_keys(), "") << "after the row's changes";
    EXPECT_EQ(settle(), "") << "after the click";
  }
  CloseAllWindows();
  manager.stop(SIGKILL);
  if (foreign) XDestroyWindow(other, foreign);
  set_focus(PointerRoot);
  pointer_away();
  XSync(other, False);
}

INSTANTIATE_TEST_SUITE_P(rows, changed_by_others, testing::ValuesIn(rows),
                         [](const testing::TestParamInfo<change_row>& info) { return std::string(info.param.id); });
