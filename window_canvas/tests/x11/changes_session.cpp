#include "window_canvas/tests/x11/changes_session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/core/message_test_hooks.h"
#include "platform/x11/x11_backend.h"
#include "window_canvas/canvas.h"
#include "window_canvas/window_registry.h"
// Xlib after gtest and the Win32 declarations: its macros clash with both.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/x11/error_trap.h"
#include "platform/x11/tests/x11_test_support.h"

namespace x11_changes {

namespace {

using clock_type = std::chrono::steady_clock;

constexpr const char* report_fd_variable = "QUON_X11_CHILD_REPORT_FD";

changes_session* recording = nullptr;

std::string waited(bool done, const std::string& what) { return done ? "" : "waited in vain for " + what; }

bool same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

short low_word(LPARAM value) { return static_cast<short>(static_cast<unsigned long>(value) & 0xFFFF); }
short high_word(LPARAM value) { return static_cast<short>((static_cast<unsigned long>(value) >> 16) & 0xFFFF); }

WPARAM size_kind(const layer_state& state) {
  return state.minimized ? SIZE_MINIMIZED : state.maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

const char* kind_name(WPARAM kind) {
  switch (kind) {
    case SIZE_RESTORED: return "restored";
    case SIZE_MINIMIZED: return "minimized";
    case SIZE_MAXIMIZED: return "maximized";
    default: return "other";
  }
}

bool iconic_move(const procedure_message& m) {
  return m.message == WM_MOVE && low_word(m.lparam) == -32000 && high_word(m.lparam) == -32000;
}
bool minimized_size(const procedure_message& m) { return m.message == WM_SIZE && m.wparam == SIZE_MINIMIZED; }

// The current test's results so far that failed, or skipped it.
struct result_counts {
  int failed = 0;
  int skipped = 0;
};
result_counts current_results() {
  result_counts counts;
  const testing::TestResult* result = testing::UnitTest::GetInstance()->current_test_info()->result();
  for (int i = 0; i < result->total_part_count(); ++i) {
    counts.failed += result->GetTestPartResult(i).failed();
    counts.skipped += result->GetTestPartResult(i).skipped();
  }
  return counts;
}

// Ends a child by what its body added to the results it started with (a forked
// child inherits its parent's, failures of earlier children included).
[[noreturn]] void end_child(const result_counts& before) {
  const result_counts after = current_results();
  std::fflush(nullptr);
  _exit(after.failed > before.failed ? 1 : after.skipped > before.skipped ? 2 : 0);
}

}  // namespace

std::string describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) + " x " +
         std::to_string(r.bottom - r.top);
}

std::string describe(const server_view& v) {
  const char* map_states[] = {"unmapped", "unviewable", "viewable"};
  const char* wm_states[] = {"Withdrawn", "Normal", "?", "Iconic"};
  auto window = [](Window w) { return std::to_string(w); };
  return std::string(v.managed ? "managed" : "unmanaged") + ", " +
         (v.map_state >= 0 && v.map_state <= 2 ? map_states[v.map_state] : "?") + ", WM_STATE " +
         (v.wm_state <= 3 ? wm_states[v.wm_state] : "?") + (v.maximized ? ", maximized" : "") + ", client " +
         describe(v.client) + ", parent " + window(v.parent) + ", focus " + window(v.focus) + ", _NET_ACTIVE_WINDOW " +
         window(v.net_active);
}

std::string describe(const std::vector<procedure_message>& messages) {
  std::string out;
  for (const procedure_message& m : messages) {
    if (!out.empty()) out += ", ";
    switch (m.message) {
      case WM_SIZE:
        out += std::string("WM_SIZE(") + kind_name(m.wparam) + " " + std::to_string(low_word(m.lparam) & 0xFFFF) +
               "x" + std::to_string(high_word(m.lparam) & 0xFFFF) + ")";
        break;
      case WM_MOVE:
        out += "WM_MOVE(" + std::to_string(low_word(m.lparam)) + ", " + std::to_string(high_word(m.lparam)) + ")";
        break;
      case WM_SHOWWINDOW: out += m.wparam ? "WM_SHOWWINDOW(TRUE)" : "WM_SHOWWINDOW(FALSE)"; break;
      case WM_QUERYOPEN: out += "WM_QUERYOPEN"; break;
      case WM_ACTIVATE: {
        const unsigned how = static_cast<unsigned>(m.wparam & 0xFFFF);
        out += std::string("WM_ACTIVATE(") + (how == WA_INACTIVE ? "inactive" : how == WA_CLICKACTIVE ? "click" : "active") +
               ((m.wparam >> 16) & 0xFFFF ? ", minimized)" : ")");
        break;
      }
      case WM_SETFOCUS: out += "WM_SETFOCUS"; break;
      case WM_KILLFOCUS: out += "WM_KILLFOCUS"; break;
      case WM_WINDOWPOSCHANGED:
        out += "WM_WINDOWPOSCHANGED";
        if (m.position_flags & SWP_SHOWWINDOW) out += "(show)";
        if (m.position_flags & SWP_HIDEWINDOW) out += "(hide)";
        break;
      default: out += "message " + std::to_string(m.message); break;
    }
  }
  return out.empty() ? "none" : out;
}

std::string message_faults(const std::vector<procedure_message>& messages, const layer_state& before,
                           const layer_state& after) {
  std::string faults;
  // The states WM_SIZE reports, repeats collapsed, from the one the change began in.
  std::vector<WPARAM> kinds{size_kind(before)};
  for (const procedure_message& m : messages)
    if (m.message == WM_SIZE && m.wparam <= SIZE_MAXIMIZED && m.wparam != kinds.back()) kinds.push_back(m.wparam);
  for (size_t i = 2; i < kinds.size(); ++i) {
    if (std::find(kinds.begin(), kinds.begin() + static_cast<long>(i) - 1, kinds[i]) == kinds.begin() + static_cast<long>(i) - 1)
      continue;
    std::string path;
    for (WPARAM kind : kinds) path += std::string(path.empty() ? "" : " -> ") + kind_name(kind);
    faults += std::string("WM_SIZE takes a state again after leaving it (") + path + "); ";
    break;
  }
  if (before.minimized && after.minimized &&
      std::any_of(messages.begin(), messages.end(), [](const procedure_message& m) { return m.message == WM_QUERYOPEN; }))
    faults += "WM_QUERYOPEN though nothing opens the window; ";
  for (size_t i = 0; i < messages.size(); ++i) {
    const bool size_beside = (i > 0 && minimized_size(messages[i - 1])) ||
                             (i + 1 < messages.size() && minimized_size(messages[i + 1]));
    if (iconic_move(messages[i]) && !size_beside) faults += "WM_MOVE(-32000, -32000) without WM_SIZE(minimized); ";
    if (minimized_size(messages[i]) && i > 0 && messages[i - 1].message == WM_MOVE && !iconic_move(messages[i - 1]))
      faults += "WM_SIZE(minimized) after a WM_MOVE away from (-32000, -32000); ";
  }
  if (!before.visible) {
    // Shown again: WM_SHOWWINDOW first, then the size of the state it shows.
    const auto shown = std::find_if(messages.begin(), messages.end(), [](const procedure_message& m) {
      return m.message == WM_SHOWWINDOW && m.wparam;
    });
    if (shown != messages.end() &&
        std::any_of(messages.begin(), shown, [](const procedure_message& m) { return m.message == WM_SIZE; }))
      faults += "WM_SIZE before WM_SHOWWINDOW(TRUE) of a hidden window; ";
  }
  // A window being minimized gives up the focus first.
  bool focused = before.focused;
  WPARAM kind = size_kind(before);
  for (const procedure_message& m : messages) {
    if (m.message == WM_SETFOCUS) focused = true;
    if (m.message == WM_KILLFOCUS) focused = false;
    if (m.message != WM_SIZE) continue;
    if (m.wparam == SIZE_MINIMIZED && kind != SIZE_MINIMIZED && focused)
      faults += "WM_SIZE(minimized) before WM_KILLFOCUS; ";
    kind = m.wparam;
  }
  return faults;
}

// ---- processes ----------------------------------------------------------------

const window_manager_kind& no_window_manager() {
  static const window_manager_kind none{"no window manager", false, false, true, true, true, false, {}};
  return none;
}

const window_manager_kind& configured_window_manager() {
  static const window_manager_kind kinds[] = {
      {"openbox", true, true, true, true, true, true, {"openbox", "--restart"}},
      {"twm", false, false, true, true, true, false, {}},
      {"evilwm", true, false, true, true, false, false, {}},
      {"i3", true, false, false, false, false, false, {"i3-msg", "restart"}},
  };
  const char* named = std::getenv("QUON_X11_WM");
  for (const window_manager_kind& kind : kinds)
    if (named && std::string(named) == kind.name) return kind;
  return kinds[0];
}

namespace {

void write_file(const std::string& path, const char* text) {
  if (FILE* file = std::fopen(path.c_str(), "w")) {
    std::fputs(text, file);
    std::fclose(file);
  }
}

}  // namespace

bool window_manager_process::start() {
  // Configurations that open no prompt of their own: openbox's for /dev/null
  // asks about the error mid-screen, i3's first start offers to write one,
  // twm waits for the user to place a window that its program did not place.
  char dir[] = "/tmp/quon-window-manager.XXXXXX";
  if (!mkdtemp(dir)) return false;
  config_dir_ = dir;
  const std::string openbox_config = config_dir_ + "/rc.xml", i3_config = config_dir_ + "/i3.config",
                    twm_config = config_dir_ + "/twmrc";
  write_file(openbox_config, "<?xml version=\"1.0\"?>\n<openbox_config xmlns=\"http://openbox.org/3.4/rc\"/>\n");
  write_file(i3_config, "# i3 config file (v4)\nfont pango:monospace 8\nfocus_follows_mouse no\n");
  // twm's default fonts are missing on Xvfb (it ends at once): the server's own "fixed".
  write_file(twm_config,
             "RandomPlacement\nUsePPosition \"on\"\nTitleFont \"fixed\"\nResizeFont \"fixed\"\nMenuFont \"fixed\"\n"
             "IconFont \"fixed\"\nIconManagerFont \"fixed\"\n");
  const std::string name = configured_window_manager().name;
  std::vector<const char*> argv;
  if (name == "twm") argv = {"twm", "-f", twm_config.c_str()};
  else if (name == "evilwm") argv = {"evilwm", "-fn", "cursor"};  // Xvfb has no font of its default
  else if (name == "i3") argv = {"i3", "-c", i3_config.c_str()};
  else argv = {"openbox", "--sm-disable", "--config-file", openbox_config.c_str()};
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the test
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 1);
    dup2(null, 2);
    execvp(argv[0], const_cast<char* const*>(argv.data()));
    _exit(127);
  }
  return pid_ > 0;
}

bool window_manager_process::running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

void window_manager_process::stop(int signal) {
  if (pid_ > 0) {
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (!config_dir_.empty()) {
    for (const char* file : {"/rc.xml", "/i3.config", "/twmrc"}) unlink((config_dir_ + file).c_str());
    rmdir(config_dir_.c_str());
    config_dir_.clear();
  }
}

namespace {

// Waits for a child, calling meanwhile between looks; kills it and answers
// false when it is still running after `seconds`.
bool wait_child(pid_t pid, double seconds, int& status, const std::function<void()>& meanwhile) {
  const auto end = clock_type::now() + std::chrono::duration<double>(seconds);
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (clock_type::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return false;
    }
    meanwhile();
  }
  return true;
}

}  // namespace

int run_program(const std::vector<const char*>& argv, double seconds, const std::function<void()>& meanwhile) {
  std::vector<char*> args;
  for (const char* arg : argv) args.push_back(const_cast<char*>(arg));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 1);
    dup2(null, 2);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (pid < 0) return -1;
  int status = 0;
  if (!wait_child(pid, seconds, status, [&] {
        meanwhile();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }))
    return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool in_child_process() { return std::getenv(report_fd_variable) != nullptr; }

display_hold::display_hold() {
  if (!in_child_process()) lock_.emplace();
}

child_outcome run_in_child(const std::function<void(int report_fd)>& body, double seconds,
                           const std::vector<std::pair<std::string, std::string>>& environment) {
  if (const char* inherited = std::getenv(report_fd_variable)) {
    // Started afresh by a parent that waits for us.
    const int report_fd = std::atoi(inherited);
    fcntl(report_fd, F_SETFD, FD_CLOEXEC);
    const result_counts before = current_results();
    body(report_fd);
    end_child(before);
  }
  child_outcome outcome;
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return outcome;
  const bool afresh = x11_backend_connection_opened() || window_registry::instance().next_id > 1;
  const result_counts before = current_results();
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    if (afresh) {
      fcntl(ends[1], F_SETFD, 0);
      setenv(report_fd_variable, std::to_string(ends[1]).c_str(), 1);
      for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
      const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
      const std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
      execl("/proc/self/exe", "window_canvas_x11_child", filter.c_str(), "--gtest_brief=1",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    body(ends[1]);
    end_child(before);
  }
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    return outcome;
  }
  fcntl(ends[0], F_SETFL, O_NONBLOCK);
  auto drain = [&] {
    char buffer[4096];
    ssize_t count = 0;
    while ((count = read(ends[0], buffer, sizeof buffer)) > 0) outcome.report.append(buffer, static_cast<size_t>(count));
  };
  int status = 0;
  const bool ended = wait_child(pid, seconds, status, [&] {
    pollfd readable{ends[0], POLLIN, 0};
    poll(&readable, 1, 50);
    drain();
    // Every writer gone: poll returns at once from now on.
    if (readable.revents & POLLHUP) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  });
  drain();
  if (!ended) {
    close(ends[0]);
    outcome.kind = child_outcome::timed_out;
    return outcome;
  }
  close(ends[0]);
  if (WIFEXITED(status)) {
    outcome.status = WEXITSTATUS(status);
    outcome.kind = outcome.status == 0   ? child_outcome::passed
                   : outcome.status == 2 ? child_outcome::skipped
                                         : child_outcome::failed;
  } else {
    outcome.status = WIFSIGNALED(status) ? WTERMSIG(status) : status;
    outcome.kind = child_outcome::crashed;
  }
  return outcome;
}

void report_line(int report_fd, const std::string& line) {
  const std::string text = line + "\n";
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = write(report_fd, text.data() + written, text.size() - written);
    if (count <= 0) return;
    written += static_cast<size_t>(count);
  }
}

bool window_manager_on_display(bool& reachable) {
  Display* connection = open_test_display();
  reachable = connection != nullptr;
  if (!connection) return false;
  const bool managed = x11_window_manager_running(connection);
  XCloseDisplay(connection);
  return managed;
}

// ---- the session ----------------------------------------------------------------

changes_session::~changes_session() {
  if (!finished_) finish();
}

void changes_session::record_message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!recording || !recording->handle || window != recording->handle) return;
  switch (message) {
    case WM_SIZE:
    case WM_MOVE:
    case WM_SHOWWINDOW:
    case WM_QUERYOPEN:
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_WINDOWPOSCHANGED:
      break;
    default:
      return;
  }
  procedure_message m{message, wParam, lParam, 0};
  if (message == WM_WINDOWPOSCHANGED && lParam) m.position_flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
  if (message == WM_SHOWWINDOW) {
    recording->notified_visible = wParam != 0;
    recording->shown_without_notice = false;
  } else if (message == WM_WINDOWPOSCHANGED && (m.position_flags & SWP_SHOWWINDOW) && !recording->notified_visible) {
    recording->shown_without_notice = true;
  }
  recording->messages.push_back(m);
}

void changes_session::start() {
  ASSERT_TRUE(x11_server_available()) << "no X server (DISPLAY)";
  display = x11_backend_display();
  other = open_test_display();
  ASSERT_NE(other, nullptr);
  root = DefaultRootWindow(other);
  screen = {0, 0, DisplayWidth(other, DefaultScreen(other)), DisplayHeight(other, DefaultScreen(other))};
  errors_at_start_ = untrapped_x11_errors();
  recording = this;
  core_message_hook = record_message;
}

void changes_session::open() {
  OpenWindow("Kelvaro / Quon + Vantrel", window_width, window_height, 0);
  window = window_registry::instance().current_window();
  ASSERT_NE(window, nullptr);
  handle = window->window_handle;
  xid = x11_backend_window(handle);
  ASSERT_NE(xid, 0u);
  ASSERT_TRUE(wait_server([](const server_view& v) { return v.map_state == IsViewable; })) << "shown";
  ASSERT_TRUE(wait_for([&] { return GetActiveWindow() == handle && window->focused; })) << "shown active";
}

void changes_session::finish() {
  if (finished_) return;
  finished_ = true;
  CloseAllWindows();
  manager.stop(SIGKILL);
  if (other) {
    {
      x11_error_trap trap(other);
      if (foreign) XDestroyWindow(other, foreign);
      XUngrabKeyboard(other, CurrentTime);
      XSetInputFocus(other, PointerRoot, RevertToPointerRoot, CurrentTime);
      trap.ok();
    }
    foreign = 0;
    pointer_away();
    xtest_restore_keymap(other);
  }
  if (display) pump();
  EXPECT_EQ(untrapped_x11_errors(), errors_at_start_) << "X protocol errors that no trap caught";
  core_message_hook = nullptr;
  recording = nullptr;
  if (other) XCloseDisplay(other);
  other = nullptr;
}

void changes_session::begin_step() {
  messages.clear();
  step_start_ = read_layer();
}

void changes_session::end_step(const std::string& what) {
  EXPECT_EQ(message_faults(messages, step_start_, read_layer()), "")
      << "the window procedure's messages of \"" << what << "\": " << describe(messages);
}

void changes_session::pump() {
  XSync(display, False);
  KeyPressed("f12");
}

bool changes_session::wait_for(const std::function<bool()>& done, double seconds) {
  return wait_until(done, [this] { pump(); }, seconds);
}

bool changes_session::wait_server(const std::function<bool(const server_view&)>& done, double seconds) {
  return wait_for([&] { return done(read_server()); }, seconds);
}

void changes_session::let_it_act() {
  const auto end = clock_type::now() + std::chrono::milliseconds(150);
  while (clock_type::now() < end) {
    pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

unsigned long changes_session::property_item(Window on, Atom property, Atom type) {
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

server_view changes_session::read_server() {
  server_view v;
  x11_error_trap trap(other);
  XSync(other, False);
  v.managed = x11_window_manager_running(other);
  v.wm_check = property_item(root, atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW);
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
  // Up to the root's child that holds the window: its frame, or itself.
  for (Window at = xid, above = 0;; at = above) {
    Window tree_root = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(other, at, &tree_root, &above, &children, &count)) break;
    if (children) XFree(children);
    if (at == xid) v.parent = above;
    if (above != root) continue;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border_width = 0, depth = 0;
    if (XGetGeometry(other, at, &tree_root, &x, &y, &width, &height, &border_width, &depth))
      v.frame = {x, y, x + static_cast<int>(width + 2 * border_width), y + static_cast<int>(height + 2 * border_width)};
    break;
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

const window_manager_kind& changes_session::running_kind() {
  return x11_window_manager_running(other) ? configured_window_manager() : no_window_manager();
}

layer_state changes_session::read_layer() {
  return {IsWindowVisible(handle) != 0, IsIconic(handle) != 0, IsZoomed(handle) != 0, GetFocus() == handle};
}

std::string changes_session::mismatches() {
  const server_view v = read_server();
  std::string out;
  auto differ = [&](bool layer, bool server, const char* what) {
    if (layer != server) out += std::string(what) + (layer ? ": layer yes, server no; " : ": layer no, server yes; ");
  };
  const bool viewable = v.map_state == IsViewable;
  const bool active = GetActiveWindow() == handle;
  differ(active, v.focus == xid, "active window / X input focus");
  differ(GetFocus() == handle, v.focus == xid, "focus / X input focus");
  differ(GetForegroundWindow() == handle, v.focus == xid, "foreground window / X input focus");
  differ(window->focused != 0, v.focus == xid, "record focused / X input focus");
  const window_manager_kind& kind = v.managed ? configured_window_manager() : no_window_manager();
  // A window manager never names a window it does not show active: a name of
  // an unmapped one is another client's, stale. One without EWMH names none;
  // evilwm's and i3's stay on the window they focused last, whoever moved the
  // focus since (i3 then takes an activation of that window as done).
  if (v.managed && kind.names_focus && (viewable || v.net_active != xid))
    differ(active, v.net_active == xid, "active window / _NET_ACTIVE_WINDOW");

  const bool iconic = IsIconic(handle) != 0;
  differ(IsWindowVisible(handle) && !iconic, viewable, "shown and not minimized / viewable");
  if (!shown_without_notice) differ(window->visible != 0, IsWindowVisible(handle) != 0, "record visible / IsWindowVisible");
  differ(window->minimized != 0, iconic, "record minimized / IsIconic");
  const bool zoomed = viewable && !iconic && IsZoomed(handle);
  if (v.managed) {
    // A hidden window keeps its minimized state (as under Windows); a viewable
    // one is shown whatever another client writes into its WM_STATE.
    if (IsWindowVisible(handle) && !viewable) differ(iconic, v.wm_state == IconicState, "IsIconic / WM_STATE Iconic");
    if (!kind.maximizes) {
      if (zoomed) out += std::string("IsZoomed, though ") + kind.name + " maximizes nothing; ";
    } else if (kind.ewmh) {
      if (viewable && !iconic) differ(IsZoomed(handle) != 0, v.maximized, "IsZoomed / _NET_WM_STATE maximized");
    } else if (zoomed && !same(v.frame, screen)) {
      // Without _NET_WM_STATE maximized means the frame covering the work area
      // (the whole screen of Xvfb's single monitor, nothing reserved).
      out += "IsZoomed, but the frame " + describe(v.frame) + " is not the work area " + describe(screen) + "; ";
    }
  } else if (zoomed && !same(v.client, screen)) {
    // Without a window manager maximized means covering the work area (the
    // whole screen of Xvfb's single monitor).
    out += "IsZoomed, but the X window " + describe(v.client) + " is not the work area " + describe(screen) + "; ";
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
    if (!same(layer, v.client)) out += "client area " + describe(layer) + ", X window " + describe(v.client) + "; ";
    if (!same(record, v.client)) out += "record " + describe(record) + ", X window " + describe(v.client) + "; ";
    if (!same(outer, v.client)) out += "window rect " + describe(outer) + ", X window " + describe(v.client) + "; ";
  }
  return out;
}

std::string changes_session::settle(double seconds) {
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

bool changes_session::client_point(POINT& point) {
  const RECT c = read_server().client;
  const RECT usable{std::max(c.left + border, screen.left), std::max(c.top + caption_rows, screen.top),
                    std::min(c.right - border, screen.right), std::min(c.bottom - border, screen.bottom)};
  if (usable.left >= usable.right || usable.top >= usable.bottom) return false;
  // The middle, else the first point of a grid over it that no other window
  // covers (a window manager's own prompts stand anywhere).
  const LONG width = usable.right - usable.left, height = usable.bottom - usable.top;
  for (int i = 0; i < 25; ++i) {
    const POINT candidate = i == 0 ? POINT{usable.left + width / 2, usable.top + height / 2}
                                   : POINT{usable.left + width * (1 + (i - 1) % 5 * 2) / 10,
                                           usable.top + height * (1 + (i - 1) / 5 * 2) / 10};
    if (topmost_at(candidate) == xid) {
      point = candidate;
      return true;
    }
  }
  return false;
}

Window changes_session::topmost_at(POINT point) {
  x11_error_trap trap(other);
  Window at = root, child = 0;
  int x = point.x, y = point.y;
  while (XTranslateCoordinates(other, root, at, point.x, point.y, &x, &y, &child) && child) at = child;
  return trap.ok() ? at : 0;
}

void changes_session::click_at(POINT point) {
  xtest_motion(other, point.x, point.y);
  let_it_act();
  xtest_button(other, 1, true);
  pump();
  xtest_button(other, 1, false);
}

void changes_session::click_from_right(int from_right) {
  const RECT c = read_server().client;
  click_at({c.right - from_right, c.top + 20});
}

void changes_session::pointer_over() {
  const RECT c = read_server().client;
  xtest_motion(other, (c.left + c.right) / 2, (c.top + c.bottom) / 2);
}

void changes_session::pointer_away() { xtest_motion(other, screen.right - 4, screen.bottom - 4); }

std::string changes_session::click_takes_keys() {
  POINT point{};
  if (!client_point(point)) return "no part of the client area is on the screen and uncovered";
  click_at(point);
  server_view seen;
  if (!wait_for([&] {
        seen = read_server();
        return GetActiveWindow() == handle && seen.focus == xid && window->focused;
      }))
    return "the click did not activate the window (active " + std::to_string(GetActiveWindow() == handle) +
           ", record focused " + std::to_string(window->focused) + "; window " + std::to_string(xid) + ": " +
           describe(seen) + ")";
  const RECT c = read_server().client;
  if (window->pointer_x != point.x - c.left || window->pointer_y != point.y - c.top)
    return "the click at client (" + std::to_string(point.x - c.left) + ", " + std::to_string(point.y - c.top) +
           ") was recorded at (" + std::to_string(window->pointer_x) + ", " + std::to_string(window->pointer_y) + ")";
  xtest_tap(other, XK_r);
  if (!wait_for([&] { return KeyPressed("R"); })) return "a key does not reach the window";
  return "";
}

Window changes_session::foreign_window() {
  if (!foreign) {
    foreign = XCreateSimpleWindow(other, root, screen.right - 300, screen.bottom - 250, 200, 150, 0, 0, 0);
    // Placed by its program: twm would otherwise wait for the user to place it.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = screen.right - 300;
    hints.y = screen.bottom - 250;
    hints.width = 200;
    hints.height = 150;
    XSetWMNormalHints(other, foreign, &hints);
    XMapWindow(other, foreign);
    XSync(other, False);
    EXPECT_TRUE(wait_until(
        [&] {
          XWindowAttributes attributes{};
          return XGetWindowAttributes(other, foreign, &attributes) && attributes.map_state == IsViewable;
        },
        [&] { pump(); }))
        << "waited in vain for another client's window to be shown";
  }
  return foreign;
}

void changes_session::set_focus(Window to) {
  // A window that is not viewable refuses the focus (BadMatch).
  x11_error_trap trap(other);
  XSetInputFocus(other, to, RevertToPointerRoot, CurrentTime);
  trap.ok();
}

void changes_session::send_to_root(Atom type, long a, long b, long c) {
  send_client_message(other, root, SubstructureRedirectMask | SubstructureNotifyMask, xid, type, {a, b, c, 2, 0});
  XSync(other, False);
}

std::string changes_session::unmap_by_other() {
  {
    x11_error_trap trap(other);
    XUnmapWindow(other, xid);
    trap.ok();
  }
  return waited(wait_server([](const server_view& v) { return v.map_state != IsViewable; }, wait_seconds),
                "the server to unmap the window");
}

std::string changes_session::map_by_other() {
  {
    x11_error_trap trap(other);
    XMapWindow(other, xid);
    trap.ok();
  }
  return waited(wait_server([](const server_view& v) { return v.map_state == IsViewable; }, wait_seconds),
                "the server to show the window mapped");
}

void changes_session::resize_by_other(unsigned width, unsigned height) {
  {
    x11_error_trap trap(other);
    XResizeWindow(other, xid, width, height);
    trap.ok();
  }
  let_it_act();
}

void changes_session::move_by_other(int x, int y) {
  {
    x11_error_trap trap(other);
    XMoveWindow(other, xid, x, y);
    trap.ok();
  }
  let_it_act();
}

void changes_session::send_maximize() {
  send_client_message(other, root, SubstructureRedirectMask | SubstructureNotifyMask, xid, atom("_NET_WM_STATE"),
                      {1, static_cast<long>(atom("_NET_WM_STATE_MAXIMIZED_VERT")),
                       static_cast<long>(atom("_NET_WM_STATE_MAXIMIZED_HORZ")), 2, 0});
}

void changes_session::send_iconify() {
  send_client_message(other, root, SubstructureRedirectMask | SubstructureNotifyMask, xid, atom("WM_CHANGE_STATE"),
                      {IconicState, 0, 0, 0, 0});
}

std::string changes_session::iconify_request() {
  send_iconify();
  XSync(other, False);
  const window_manager_kind& kind = running_kind();
  if (&kind == &no_window_manager() || !kind.iconifies) {
    let_it_act();  // nobody takes the request
    return "";
  }
  return waited(wait_server([](const server_view& v) { return v.wm_state == IconicState && v.map_state != IsViewable; },
                            wait_seconds),
                "the window manager to iconify the window");
}

std::string changes_session::maximize_request() {
  send_maximize();
  XSync(other, False);
  const window_manager_kind& kind = running_kind();
  if (&kind == &no_window_manager() || !kind.ewmh || !kind.maximizes) {
    let_it_act();
    return "";
  }
  return waited(wait_server([](const server_view& v) { return v.maximized && v.map_state == IsViewable; }, wait_seconds),
                "the window manager to maximize the window");
}

std::string changes_session::activate_request() {
  send_to_root(atom("_NET_ACTIVE_WINDOW"), 2, CurrentTime, 0);
  const window_manager_kind& kind = running_kind();
  if (&kind == &no_window_manager() || !kind.activates) {
    let_it_act();
    return "";
  }
  return waited(wait_server([&](const server_view& v) { return v.focus == xid; }, wait_seconds),
                "the window manager to give the window the focus");
}

std::string changes_session::grab_keyboard() {
  const int grabbed = XGrabKeyboard(other, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
  XSync(other, False);
  let_it_act();
  return grabbed == GrabSuccess ? "" : "the keyboard grab was refused (" + std::to_string(grabbed) + ")";
}

void changes_session::ungrab_keyboard() {
  XUngrabKeyboard(other, CurrentTime);
  XSync(other, False);
  let_it_act();
}

void changes_session::reparent_into_foreign() {
  {
    x11_error_trap trap(other);
    XReparentWindow(other, xid, foreign_window(), 20, 10);
    XResizeWindow(other, foreign, 600, 500);
    XMoveWindow(other, foreign, 100, 100);
    trap.ok();
  }
  let_it_act();
}

void changes_session::reparent_to_root(int x, int y) {
  {
    x11_error_trap trap(other);
    XReparentWindow(other, xid, root, x, y);
    trap.ok();
  }
  let_it_act();
}

std::string changes_session::own_minimize() {
  const window_manager_kind& kind = running_kind();
  click_from_right(minimize_area_from_right);
  if (!kind.iconifies) {
    let_it_act();
    return IsIconic(handle) ? std::string("IsIconic, though ") + kind.name + " iconifies nothing" : "";
  }
  const bool iconic = wait_for([&] { return IsIconic(handle) != 0; }, wait_seconds);
  const bool unmapped = wait_server([](const server_view& v) { return v.map_state != IsViewable; }, wait_seconds);
  return waited(iconic, "IsIconic") + waited(unmapped, "the server to unmap the window");
}

std::string changes_session::own_maximize() {
  const window_manager_kind& kind = running_kind();
  click_from_right(maximize_area_from_right);
  if (!kind.maximizes) {
    let_it_act();
    return IsZoomed(handle) ? std::string("IsZoomed, though ") + kind.name + " maximizes nothing" : "";
  }
  const bool zoomed = wait_for([&] { return IsZoomed(handle) != 0; }, wait_seconds);
  const bool large = wait_server(
      [&](const server_view& v) { return v.client.right - v.client.left > window_width && v.map_state == IsViewable; },
      wait_seconds);
  return waited(zoomed, "IsZoomed") + waited(large, "the server to show the window larger");
}

void changes_session::drag_caption(int dx, int dy) {
  const RECT c = read_server().client;
  const POINT from{c.left + (window_width - caption_right_margin) / 2, c.top + 30};
  xtest_motion(other, from.x, from.y);
  let_it_act();
  xtest_button(other, 1, true);
  let_it_act();
  // At a hand's pace: a window manager takes the move over from its request on.
  constexpr int steps = 8;
  for (int i = 1; i <= steps; ++i) {
    xtest_motion(other, from.x + dx * i / steps, from.y + dy * i / steps);
    let_it_act();
  }
  let_it_act();
  xtest_button(other, 1, false);
  let_it_act();
}

std::string changes_session::start_window_manager() {
  const std::string name = configured_window_manager().name;
  if (!manager.start()) return name + " did not start";
  // Up once it redirects the root and, where it has EWMH, names its check
  // window (late in its start: requests before then wait in its queue).
  const bool ewmh = configured_window_manager().ewmh;
  if (!wait_for([&] { return (x11_window_manager_running(other) && (!ewmh || read_server().wm_check)) || !manager.running(); },
                10) ||
      !manager.running())
    return name + " did not start";
  // And its event loop runs: a window of another client's is taken and shown.
  {
    x11_error_trap trap(other);
    const Window probe = XCreateSimpleWindow(other, root, 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(other, probe);
    XSync(other, False);
    const bool shown = wait_until(
        [&] {
          XWindowAttributes attributes{};
          return XGetWindowAttributes(other, probe, &attributes) && attributes.map_state == IsViewable;
        },
        [&] { pump(); }, 10);
    XDestroyWindow(other, probe);
    XSync(other, False);
    trap.ok();
    if (!shown) return name + " shows no window";
  }
  // It takes a window it can show into a frame of its own.
  if (!IsWindowVisible(handle)) return "";
  return waited(
      wait_server([&](const server_view& v) { return v.parent != root && v.wm_state != WithdrawnState; }, wait_seconds),
      name + " to take the window into a frame");
}

std::string changes_session::stop_window_manager(int signal) {
  manager.stop(signal);
  const bool gone = wait_for([&] { return !x11_window_manager_running(other); }, wait_seconds);
  let_it_act();
  return waited(gone, "the window manager to end");
}

std::string changes_session::restart_window_manager() {
  const server_view before = read_server();
  if (!before.managed) return "no window manager runs to restart";
  const std::vector<const char*>& command = configured_window_manager().restart;
  if (command.empty()) return std::string(configured_window_manager().name) + " has no restart";
  {
    x11_error_trap trap(other);
    XSelectInput(other, before.wm_check, StructureNotifyMask);
    if (!trap.ok()) return "the window manager's check window is gone";
  }
  const int status = run_program(command, 10, [&] { pump(); });
  if (status != 0) return std::string(command[0]) + " " + command[1] + " exited with " + std::to_string(status);
  // The check window of the one that ends goes; the new one's may have its id again.
  XEvent event;
  const bool ended = wait_for(
      [&] {
        XSync(other, False);
        return XCheckTypedWindowEvent(other, before.wm_check, DestroyNotify, &event) != 0;
      },
      10);
  if (!ended) return "waited in vain for the window manager to end";
  server_view seen;
  const bool managed = wait_server(
      [&](const server_view& v) {
        seen = v;
        // An iconic client may stay mapped in its unmapped frame: unviewable then.
        return v.managed && v.parent != root && v.wm_state == before.wm_state &&
               (v.map_state == IsViewable) == (before.map_state == IsViewable) && v.maximized == before.maximized;
      },
      10);
  return waited(managed, "the window manager to manage the window again as before (" + describe(before) +
                             "); it is " + describe(seen));
}

}  // namespace x11_changes
