#pragma once
// The program's window class and procedure: every message a window receives is
// printed, indented by how deeply it was sent, and handled as the scenario
// running at the time asks.

#include "platform/win32.h"

// What the window procedure does with WM_CLOSE.
enum class close_action { pass_to_default, hide, ignore };

struct conf_window_options {
  close_action on_close = close_action::pass_to_default;
  bool print_messages = true;
  // WM_SYSCHAR answered 0 here: its default handling may open the window menu.
  bool answer_system_characters = false;
};

// The options in force; scenarios change them.
conf_window_options& conf_window_settings();
// Messages dispatched while printing was off, counted per window procedure call.
int conf_unprinted_messages();

// Registers the class once ("quon_conformance_window": CS_OWNDC, arrow cursor, a brush).
void conf_register_class();
// Creates a window of that class whose client area is client_width x client_height
// at the window position x, y; it is printed as name from its first message on.
HWND conf_create_window(const char* name, DWORD style, DWORD ex_style, int x, int y, int client_width,
                        int client_height);
// The outer size of a client size for a window's style.
SIZE conf_outer_size(HWND window, int client_width, int client_height);

// Dispatches one retrieved message as the window runtime's pump does
// (TranslateMessage, then DispatchMessageW), printing it.
void conf_dispatch(const MSG& msg);
// Dispatches messages until the queue stayed empty for a while: the messages a
// step caused, including those a window system delivers late, belong to the step.
void conf_settle();
