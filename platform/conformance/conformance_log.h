#pragma once
// The program's output: one line per observation, "scenario: text", and the
// names under which windows and messages are printed. Nothing printed may
// depend on handle values, timing or the driver's numbering.

#include <string>

#include "platform/win32.h"

// Starts a scenario; its lines are prefixed with its name.
void conf_scenario(const char* name);
// Prints one line of the current scenario.
void conf_line(const std::string& text);
// Prints "what: yes" or "what: no".
void conf_yes_no(const std::string& what, bool value);

// printf-style formatting into a std::string (ints, unsigned ints and texts only).
std::string conf_format(const char* format, ...);
// Hexadecimal with at least the given number of digits.
std::string conf_hex(unsigned long long value, int digits = 1);

// Windows are printed by name; a handle without one prints as "unknown", null as "null".
void conf_name_window(HWND window, const char* name);
std::string conf_window_name(HWND window);

// A message with the parts of wParam and lParam that are stable across systems.
std::string conf_message_text(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The name of a message, or its number in hexadecimal.
std::string conf_message_name(UINT message);
// A last-error code by name where it is one the program expects.
std::string conf_error_name(DWORD error);
