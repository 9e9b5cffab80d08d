#include "platform/x11/error_trap.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <vector>

namespace {
x11_error_trap* innermost_trap = nullptr;
unsigned long untrapped_errors = 0;
bool handler_installed = false;

// The requests whose errors are ignored: [first, last] serials per display.
struct ignored_requests {
  Display* display;
  unsigned long first, last;
};
std::vector<ignored_requests> ignored;

// Ranges the server has processed past can see no more errors.
void forget_processed(Display* display) {
  const unsigned long processed = LastKnownRequestProcessed(display);
  ignored.erase(std::remove_if(ignored.begin(), ignored.end(),
                               [&](const ignored_requests& r) {
                                 return r.display == display && static_cast<long>(processed - r.last) > 0;
                               }),
                ignored.end());
}
}  // namespace

struct x11_error_recorder {
  static int record(Display*, XErrorEvent* error);
};

int x11_error_recorder::record(Display* display, XErrorEvent* error) {
  for (const ignored_requests& r : ignored)
    if (r.display == display && static_cast<long>(error->serial - r.first) >= 0 &&
        static_cast<long>(r.last - error->serial) >= 0)
      return 0;
  // Only requests issued after the trap was opened belong to it; an older
  // asynchronous failure is counted as untrapped.
  for (x11_error_trap* trap = innermost_trap; trap; trap = trap->outer_) {
    if (error->serial >= trap->first_request_) {
      if (trap->first_error_ == 0) trap->first_error_ = error->error_code ? error->error_code : -1;
      return 0;
    }
  }
  ++untrapped_errors;
  return 0;
}

void install_x11_error_handler() {
  if (handler_installed) return;
  handler_installed = true;
  XSetErrorHandler(x11_error_recorder::record);
}

x11_error_trap::x11_error_trap(Display* display)
    : display_(display), first_request_(display ? NextRequest(display) : 0), outer_(innermost_trap) {
  install_x11_error_handler();
  innermost_trap = this;
}

x11_error_trap::~x11_error_trap() {
  // Errors of requests made in this scope may still be in flight; collect them
  // here so that they are not reported against whoever comes next.
  if (display_ && innermost_trap == this && NextRequest(display_) > first_request_) XSync(display_, False);
  innermost_trap = outer_;
}

bool x11_error_trap::ok() {
  if (display_) XSync(display_, False);
  return first_error_ == 0;
}

unsigned long untrapped_x11_errors() { return untrapped_errors; }

x11_error_ignorer::x11_error_ignorer(Display* display)
    : display_(display), first_request_(display ? NextRequest(display) : 0) {
  install_x11_error_handler();
}

x11_error_ignorer::~x11_error_ignorer() {
  if (!display_ || NextRequest(display_) == first_request_) return;
  forget_processed(display_);
  ignored.push_back({display_, first_request_, NextRequest(display_) - 1});
}
