#pragma once
// Reading packed message parameters, and narrowing computed sizes for the system calls.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/win32.h"

// The low and high 16-bit words of a parameter as signed numbers (coordinates).
inline int32_t low_word_signed(uint64_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }
inline int32_t high_word_signed(uint64_t value) {
  return static_cast<int16_t>(static_cast<uint16_t>((value >> 16) & 0xFFFF));
}
// The point packed into a mouse message's lParam.
inline POINT message_point(LPARAM lParam) {
  return POINT{low_word_signed(static_cast<uint64_t>(lParam)), high_word_signed(static_cast<uint64_t>(lParam))};
}
// value limited to the range of int.
inline int clamp_to_int(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
