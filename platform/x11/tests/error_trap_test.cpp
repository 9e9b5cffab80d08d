#include "platform/x11/error_trap.h"

#include <gtest/gtest.h>

#include "platform/x11/tests/x11_test_support.h"
// Xlib after gtest: its macros (None, Bool) clash with gtest's names.
#include <GL/glx.h>

TEST(error_trap, protocol_errors_fail_the_call_not_the_process) {
  Display* display = open_test_display();
  if (!display) GTEST_SKIP() << "no X server (DISPLAY)";
  const Window bogus = 0x7FFFFF0;
  {
    x11_error_trap trap(display);
    XMapWindow(display, bogus);
    EXPECT_FALSE(trap.ok());
    EXPECT_EQ(trap.first_error(), BadWindow);
  }
  {
    x11_error_trap trap(display);
    XNoOp(display);
    EXPECT_TRUE(trap.ok()) << "an earlier trap's failure is not carried over";
  }
  // Outside any trap the failure is only counted.
  const unsigned long before = untrapped_x11_errors();
  XDestroyWindow(display, bogus);
  XSync(display, False);
  EXPECT_EQ(untrapped_x11_errors(), before + 1);
  XCloseDisplay(display);
}

TEST(error_trap, an_ignorer_drops_its_requests_errors_whenever_they_arrive) {
  Display* display = open_test_display();
  if (!display) GTEST_SKIP() << "no X server (DISPLAY)";
  const Window bogus = 0x7FFFFF0;
  const unsigned long before = untrapped_x11_errors();
  {
    x11_error_ignorer ignore(display);
    XMoveWindow(display, bogus, 10, 10);
  }
  XSync(display, False);
  EXPECT_EQ(untrapped_x11_errors(), before) << "the ignored request's error arrived after the scope ended";
  XMoveWindow(display, bogus, 20, 20);
  XSync(display, False);
  EXPECT_EQ(untrapped_x11_errors(), before + 1) << "a later request outside the scope is not ignored";
  {
    x11_error_trap trap(display);
    XMapWindow(display, bogus);
    EXPECT_FALSE(trap.ok()) << "a trap inside sees its own errors";
  }
  XCloseDisplay(display);
}
