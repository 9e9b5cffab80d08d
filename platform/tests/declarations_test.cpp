// The Linux declarations keep the Win64 layouts of the structures that cross
// the interfaces (as the mingw-w64 headers lay them out), so that records
// written by one side read the same on the other.
#include <gtest/gtest.h>

#include <cstddef>

#include "platform/win32.h"

namespace {

TEST(Declarations, StructuresHaveTheirWin64Layout) {
  struct row {
    const char* name;
    std::size_t actual;
    std::size_t win64;
  };
  const row rows[] = {
      {"MSG", sizeof(MSG), 48},
      {"MSG.pt", offsetof(MSG, pt), 36},
      {"WNDCLASSW", sizeof(WNDCLASSW), 72},
      {"CREATESTRUCTW", sizeof(CREATESTRUCTW), 80},
      {"CREATESTRUCTW.dwExStyle", offsetof(CREATESTRUCTW, dwExStyle), 72},
      {"WINDOWPOS", sizeof(WINDOWPOS), 40},
      {"MINMAXINFO", sizeof(MINMAXINFO), 40},
      {"NCCALCSIZE_PARAMS", sizeof(NCCALCSIZE_PARAMS), 56},
      {"PIXELFORMATDESCRIPTOR", sizeof(PIXELFORMATDESCRIPTOR), 40},
      {"TOUCHINPUT", sizeof(TOUCHINPUT), 48},
      {"TOUCHINPUT.dwExtraInfo", offsetof(TOUCHINPUT, dwExtraInfo), 32},
      {"TOUCHINPUT.cxContact", offsetof(TOUCHINPUT, cxContact), 40},
      {"POINTER_INFO", sizeof(POINTER_INFO), 96},
      {"POINTER_INFO.hwndTarget", offsetof(POINTER_INFO, hwndTarget), 24},
      {"POINTER_INFO.PerformanceCount", offsetof(POINTER_INFO, PerformanceCount), 80},
      {"POINTER_PEN_INFO", sizeof(POINTER_PEN_INFO), 120},
      {"POINTER_PEN_INFO.pressure", offsetof(POINTER_PEN_INFO, pressure), 104},
      {"RECT", sizeof(RECT), 16},
      {"POINT", sizeof(POINT), 8},
  };
  for (const row& r : rows) EXPECT_EQ(r.actual, r.win64) << r.name;
}

TEST(Declarations, MessageParametersPackAsOnWindows) {
  EXPECT_EQ(MAKELPARAM(-5, 7), LPARAM{0x0007FFFB});
  EXPECT_EQ(static_cast<SHORT>(LOWORD(MAKELPARAM(-5, 7))), -5);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(MAKEWPARAM(0, -120)), -120);
  EXPECT_EQ(RGB(10, 11, 13), COLORREF{0x000D0B0A});
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(IDC_SIZEWE), 32644u);
  EXPECT_EQ(static_cast<std::intptr_t>(reinterpret_cast<std::uintptr_t>(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)),
            -4);
}

}  // namespace
