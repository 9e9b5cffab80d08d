#pragma once
// Helpers for tests against a real X server: one test at a time on the
// display, XTest input, and waiting for what the server does asynchronously.
#include <array>
#include <functional>

typedef struct _XDisplay Display;
typedef unsigned long KeySym;

// Holds the display for one test: tests that move the pointer, type or take
// the focus would disturb each other when run in parallel on one server.
class x11_display_lock {
public:
  x11_display_lock();
  ~x11_display_lock();
  x11_display_lock(const x11_display_lock&) = delete;
  x11_display_lock& operator=(const x11_display_lock&) = delete;

private:
  int fd_ = -1;
};

// Whether DISPLAY names a server we can open (the back-end's connection).
bool x11_server_available();
// Whether this process has opened the back-end's connection through
// x11_server_available(): a child forked from then on shares it.
bool x11_backend_connection_opened();
// A connection of its own, as another client; retried while the server is busy.
Display* open_test_display();
// Whether a window manager runs on the display: one holds SubstructureRedirect
// on the root (ICCCM), or names a live EWMH check window.
bool x11_window_manager_running(Display* display);
// The EWMH check window of the window manager that runs; 0 without one or
// without EWMH.
unsigned long x11_ewmh_check_window(Display* display);

// XTest input on `display`, flushed. A keysym without a key code is given a
// spare one for the duration of the press (as xdotool does).
bool xtest_key(Display* display, KeySym keysym, bool press);
void xtest_tap(Display* display, KeySym keysym);
void xtest_motion(Display* display, int root_x, int root_y);
void xtest_button(Display* display, unsigned button, bool press);
// Gives the keysyms temporarily mapped by xtest_key their key codes back.
void xtest_restore_keymap(Display* display);

// Sends a 32-bit ClientMessage of `type` about `window` to `destination`,
// selected by `event_mask`, and flushes.
void send_client_message(Display* display, unsigned long destination, long event_mask, unsigned long window,
                         unsigned long type, const std::array<long, 5>& data);

// Repeats `step` (which pumps) until `done` holds or about `seconds` pass.
bool wait_until(const std::function<bool()>& done, const std::function<void()>& step, double seconds = 5.0);
