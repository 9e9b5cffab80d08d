#pragma once
// X protocol errors never end the process: a process-wide handler records
// them, and a trap scope turns the errors of the requests made inside it into
// a failure of the call that made them.
// Declared here without Xlib's headers, whose macros must not leak into users.
typedef struct _XDisplay Display;

// Installs the recording handler once; later calls do nothing.
void install_x11_error_handler();

// Counts the protocol errors caused by the requests made while it lives.
class x11_error_trap {
public:
  explicit x11_error_trap(Display* display);
  ~x11_error_trap();
  x11_error_trap(const x11_error_trap&) = delete;
  x11_error_trap& operator=(const x11_error_trap&) = delete;

  // Waits for the server to process every request so far (one round trip);
  // true when none of the trapped requests failed.
  bool ok();
  // The error code of the first failure seen, 0 for none.
  int first_error() const { return first_error_; }

private:
  Display* display_;
  unsigned long first_request_;
  int first_error_ = 0;
  x11_error_trap* outer_;
  friend struct x11_error_recorder;
};

// Ignores the protocol errors of the requests made while it lives, whenever
// they arrive, without waiting for the server: for requests whose failure
// changes nothing (a move of a window another client destroyed meanwhile).
class x11_error_ignorer {
public:
  explicit x11_error_ignorer(Display* display);
  ~x11_error_ignorer();
  x11_error_ignorer(const x11_error_ignorer&) = delete;
  x11_error_ignorer& operator=(const x11_error_ignorer&) = delete;

private:
  Display* display_;
  unsigned long first_request_;
};

// Errors seen outside any trap since the process started.
unsigned long untrapped_x11_errors();
