#pragma once
// A window class whose procedure records every message it receives (and hands it
// to DefWindowProcW), for tests of message orders.

#include <string>
#include <vector>

#include "platform/sim/sim.h"
#include "platform/win32.h"

struct recorded_message {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  UINT pos_flags;  // WINDOWPOS flags of WM_WINDOWPOSCHANGING/CHANGED (lParam points into the sender's frame)
};

class message_recorder {
 public:
  // Registers the class (style CS_OWNDC) and resets the sim.
  message_recorder();
  // A window of the class; the creation messages are recorded too.
  HWND create(DWORD style = WS_OVERLAPPEDWINDOW, DWORD ex_style = WS_EX_APPWINDOW, HWND parent = nullptr,
              int width = 1016, int height = 739);
  // The messages received since the last clear, as their numbers.
  std::vector<UINT> messages() const;
  std::vector<UINT> messages_of(HWND window) const;
  const std::vector<recorded_message>& log() const { return log_; }
  // The first recorded message with this number; null when none.
  const recorded_message* find(UINT message) const;
  // The WINDOWPOS flags of the first recorded message with this number; ~0u when none.
  UINT pos_flags_of(UINT message) const;
  void clear() { log_.clear(); }

  // Overrides the answer to one message (instead of DefWindowProcW).
  UINT answer_message = 0;
  LRESULT answer = 0;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::vector<recorded_message> log_;
};

// Names the messages of a list (for failure output).
std::string message_names(const std::vector<UINT>& messages);
