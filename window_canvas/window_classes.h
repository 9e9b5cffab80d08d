#pragma once
// The runtime's two window classes, registered once per process.

#include <cstddef>

#include "platform/win32.h"

// A UTF-16 text built from an ASCII literal at compile time (WCHAR differs
// between Windows and our own declarations).
template <std::size_t size>
struct wide_literal {
  WCHAR text[size];
  constexpr wide_literal(const char (&ascii)[size]) : text{} {
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<WCHAR>(ascii[i]);
  }
};

inline constexpr wide_literal canvas_window_class{"quon_window_input_canvas_window"};
inline constexpr wide_literal translucent_window_class{"quon_window_input_canvas_translucent_window"};

// Declares per-monitor DPI awareness and registers both classes; later calls do nothing.
void register_window_classes();
