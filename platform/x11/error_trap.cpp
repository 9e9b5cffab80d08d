#include "platform/x11/error_trap.h"

#include <X11/Xlib.h>

namespace {
x11_error_trap* innermost_trap = nullptr;
unsigned long untrapped_errors = 0;
bool handler_installed = false;
}  // namespace

struct x11_error_recorder {
  static int record(Display*, XErrorEvent* error);
};

int x11_error_recorder::record(Display*, XErrorEvent* error) {
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
