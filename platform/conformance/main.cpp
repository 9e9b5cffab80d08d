// Runs fixed scenarios against the Win32 interfaces and prints what it observes,
// one line each, so that the output under one Win32 can be compared with another.

#include "platform/conformance/conformance_log.h"
#include "platform/conformance/pixel_format_scenarios.h"
#include "platform/conformance/text_scenarios.h"
#include "platform/conformance/window_scenarios.h"

int main() {
  run_text_scenarios();
  run_environment_scenarios();
  run_window_scenarios();
  run_pixel_format_scenarios();
  conf_scenario("end");
  conf_line("all scenarios ran");
  return 0;
}
