#pragma once
// Reading the process environment as UTF-8.

#include <string>

// The value of the variable `name` (UTF-8) as UTF-8 text. Empty when the
// variable is missing or empty, when the name or the value is not valid in its
// encoding, when the value is longer than 32767 UTF-16 units, or when the value
// changes length while it is being read.
std::string environment_text(const std::string& name);
