#include "platform/x11/tests/x11_test_support.h"

#include "platform/x11/error_trap.h"
#include "platform/x11/x11_backend.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct remapped_key {
  KeyCode code;
  std::vector<KeySym> previous;
  int per_code;
};
std::vector<remapped_key> remapped;
bool backend_connection_opened = false;

}  // namespace

x11_display_lock::x11_display_lock() {
  const char* display = std::getenv("DISPLAY");
  std::string path = "/tmp/quon-x11-tests";
  for (const char* c = display ? display : ""; *c; ++c) path += (*c == '/' ? '_' : *c);
  path += ".lock";
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ >= 0) flock(fd_, LOCK_EX);
}

x11_display_lock::~x11_display_lock() {
  if (fd_ >= 0) {
    flock(fd_, LOCK_UN);
    close(fd_);
  }
}

bool x11_server_available() {
  if (x11_backend_display() == nullptr) return false;
  backend_connection_opened = true;
  return true;
}

bool x11_backend_connection_opened() { return backend_connection_opened; }

Display* open_test_display() {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

namespace {

// The window the root's _NET_SUPPORTING_WM_CHECK names, if it still exists and
// names itself: a window manager that went away leaves the root's property behind.
Window live_check_window(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  auto check_window = [&](Window on) -> Window {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, remaining = 0;
    unsigned char* data = nullptr;
    Window found = 0;
    if (XGetWindowProperty(display, on, check, 0, 1, False, AnyPropertyType, &type, &format, &items, &remaining,
                           &data) == Success && data) {
      if (items == 1 && format == 32) found = *reinterpret_cast<Window*>(data);
      XFree(data);
    }
    return found;
  };
  const Window window = check_window(DefaultRootWindow(display));
  if (!window) return 0;
  x11_error_trap trap(display);
  return check_window(window) == window && trap.ok() ? window : 0;
}

}  // namespace

bool x11_window_manager_running(Display* display) {
  // A window manager holds SubstructureRedirect on the root, with or without
  // EWMH; reading the root's masks selects nothing.
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, DefaultRootWindow(display), &attributes) &&
      (attributes.all_event_masks & SubstructureRedirectMask))
    return true;
  return live_check_window(display) != 0;
}

Window x11_ewmh_check_window(Display* display) { return live_check_window(display); }

bool xtest_key(Display* display, KeySym keysym, bool press) {
  KeyCode code = XKeysymToKeycode(display, keysym);
  if (!code && press) {
    // Borrow the highest key code that types nothing.
    int low = 0, high = 0, per_code = 0;
    XDisplayKeycodes(display, &low, &high);
    KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(low), high - low + 1, &per_code);
    for (int c = high; map && c >= low && !code; --c) {
      bool empty = true;
      for (int k = 0; k < per_code; ++k) empty &= map[(c - low) * per_code + k] == NoSymbol;
      if (empty) code = static_cast<KeyCode>(c);
    }
    if (map) XFree(map);
    if (!code) return false;
    std::vector<KeySym> symbols(static_cast<size_t>(per_code), keysym);
    remapped.push_back({code, std::vector<KeySym>(static_cast<size_t>(per_code), NoSymbol), per_code});
    XChangeKeyboardMapping(display, code, per_code, symbols.data(), 1);
    XSync(display, False);
  }
  if (!code) return false;
  XTestFakeKeyEvent(display, code, press ? True : False, CurrentTime);
  XFlush(display);
  return true;
}

void xtest_tap(Display* display, KeySym keysym) {
  xtest_key(display, keysym, true);
  xtest_key(display, keysym, false);
}

void xtest_restore_keymap(Display* display) {
  for (remapped_key& key : remapped)
    XChangeKeyboardMapping(display, key.code, key.per_code, key.previous.data(), 1);
  remapped.clear();
  XSync(display, False);
}

void xtest_motion(Display* display, int root_x, int root_y) {
  XTestFakeMotionEvent(display, -1, root_x, root_y, CurrentTime);
  XFlush(display);
}

void xtest_button(Display* display, unsigned button, bool press) {
  XTestFakeButtonEvent(display, button, press ? True : False, CurrentTime);
  XFlush(display);
}

void send_client_message(Display* display, unsigned long destination, long event_mask, unsigned long window,
                         unsigned long type, const std::array<long, 5>& data) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  for (size_t i = 0; i < data.size(); ++i) event.xclient.data.l[i] = data[i];
  XSendEvent(display, destination, False, event_mask, &event);
  XFlush(display);
}

bool wait_until(const std::function<bool()>& done, const std::function<void()>& step, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (true) {
    step();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}
