#pragma once
// A minimal XDND source on its own connection, for driving drops in tests:
// enter, one position, drop when the target accepts, the selection served as
// text/uri-list, and the target's XdndFinished recorded.
#include <string>

typedef struct _XDisplay Display;
typedef unsigned long Window;

class xdnd_test_source {
public:
  // Drags `data`, offered as `type`, to (root_x, root_y) over `target`.
  xdnd_test_source(Window target, int root_x, int root_y, std::string data, const char* type = "text/uri-list");
  ~xdnd_test_source();
  xdnd_test_source(const xdnd_test_source&) = delete;
  xdnd_test_source& operator=(const xdnd_test_source&) = delete;

  bool connected() const { return display_ != nullptr; }
  // Handles what the target sent so far; true once the target finished.
  bool step();
  bool status_seen() const { return status_seen_; }
  bool accepted() const { return accepted_; }  // from the target's status
  bool finished() const { return finished_; }
  bool finish_accepted() const { return finish_accepted_; }

private:
  Display* display_ = nullptr;
  Window source_ = 0;
  Window target_ = 0;
  std::string data_;
  unsigned long type_ = 0;
  bool status_seen_ = false, accepted_ = false, dropped_ = false, finished_ = false, finish_accepted_ = false;
};
