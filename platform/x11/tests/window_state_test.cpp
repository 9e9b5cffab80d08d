#include "platform/x11/window_state.h"

#include <gtest/gtest.h>

namespace {

using state = backend_show_state;
constexpr RECT normal_area{100, 100, 500, 400};
constexpr RECT work_area{0, 0, 1280, 1024};

server_facts facts(map_state map, icccm_state wm_state = icccm_state::normal, bool hidden = false,
                   bool maximized = false, RECT client = normal_area) {
  return server_facts{map, wm_state, hidden, maximized, client};
}

std::string name(std::optional<state> s) {
  if (!s) return "between states";
  switch (*s) {
    case state::hidden: return "hidden";
    case state::normal: return "normal";
    case state::minimized: return "minimized";
    case state::maximized: return "maximized";
  }
  return "?";
}

}  // namespace

TEST(window_state, under_a_window_manager_the_properties_and_the_map_state_decide) {
  const layer_made layer{state::normal, false, {}};
  const struct {
    server_facts facts;
    std::optional<state> expected;
    const char* what;
  } cases[] = {
      {facts(map_state::viewable), state::normal, "viewable"},
      {facts(map_state::viewable, icccm_state::normal, false, true), state::maximized, "viewable, maximized"},
      {facts(map_state::viewable, icccm_state::iconic), std::nullopt,
       "viewable but iconic: between the window manager's property and its unmap"},
      {facts(map_state::viewable, icccm_state::normal, true), std::nullopt, "viewable but _NET_WM_STATE_HIDDEN"},
      {facts(map_state::unmapped, icccm_state::iconic), state::minimized, "iconified"},
      {facts(map_state::unviewable, icccm_state::iconic), state::minimized,
       "mapped inside an unmapped frame, iconic (a restarted window manager)"},
      {facts(map_state::unmapped, icccm_state::normal, true), state::minimized, "hidden by _NET_WM_STATE"},
      {facts(map_state::unmapped, icccm_state::withdrawn, true), state::hidden,
       "let go with a stale _NET_WM_STATE_HIDDEN"},
      {facts(map_state::unmapped, icccm_state::withdrawn), state::hidden, "unmapped and let go"},
      {facts(map_state::unmapped, icccm_state::normal), std::nullopt, "unmapped, not yet let go"},
      {facts(map_state::unviewable, icccm_state::withdrawn), std::nullopt, "in a frame not yet shown"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(name(derive_show_state(c.facts, true, layer)), name(c.expected)) << c.what;
}

TEST(window_state, under_a_window_manager_a_lasting_contradiction_and_the_layers_maximize) {
  const struct {
    server_facts facts;
    layer_made layer;
    std::optional<state> expected;
    const char* what;
  } cases[] = {
      {facts(map_state::viewable, icccm_state::iconic), {state::normal, false, {}, true}, state::normal,
       "shown, marked iconic by another client for longer than a step"},
      {facts(map_state::viewable, icccm_state::normal, true, true), {state::maximized, false, {}, true},
       state::maximized, "shown maximized, marked hidden for longer than a step"},
      {facts(map_state::unmapped, icccm_state::normal), {state::normal, false, {}, true}, state::hidden,
       "unmapped, still marked normal for longer than a step"},
      {facts(map_state::unviewable, icccm_state::withdrawn), {state::normal, false, {}, true}, std::nullopt,
       "in a frame not yet shown: no marking to contradict"},
      {facts(map_state::viewable, icccm_state::normal, false, false, work_area), {state::normal, true, work_area},
       state::maximized, "where the layer's configure request maximized it (no EWMH maximize)"},
      {facts(map_state::viewable, icccm_state::normal, false, false, normal_area), {state::maximized, true, work_area},
       state::normal, "moved or resized by the window manager after the layer's maximize"},
      {facts(map_state::unmapped, icccm_state::iconic, false, false, work_area), {state::maximized, true, work_area},
       state::minimized, "iconified after the layer's maximize"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(name(derive_show_state(c.facts, true, c.layer)), name(c.expected)) << c.what;
  EXPECT_TRUE(marking_contradicted(facts(map_state::viewable, icccm_state::iconic)));
  EXPECT_TRUE(marking_contradicted(facts(map_state::viewable, icccm_state::normal, true)));
  EXPECT_TRUE(marking_contradicted(facts(map_state::unmapped, icccm_state::normal)));
  EXPECT_FALSE(marking_contradicted(facts(map_state::viewable, icccm_state::withdrawn, true)));
  EXPECT_FALSE(marking_contradicted(facts(map_state::unmapped, icccm_state::iconic)));
}

TEST(window_state, without_a_window_manager_only_the_layer_minimizes_or_maximizes) {
  const struct {
    server_facts facts;
    layer_made layer;
    state expected;
    const char* what;
  } cases[] = {
      {facts(map_state::viewable), {state::normal, false, {}}, state::normal, "viewable"},
      {facts(map_state::viewable, icccm_state::iconic, true, true), {state::minimized, false, {}}, state::normal,
       "mapped with whatever a window manager that ended left"},
      {facts(map_state::viewable, icccm_state::withdrawn, false, false, work_area), {state::maximized, true, work_area},
       state::maximized, "where the layer maximized it"},
      {facts(map_state::viewable, icccm_state::withdrawn, false, false, work_area), {state::hidden, true, work_area},
       state::maximized, "shown again by another client where the layer maximized it"},
      {facts(map_state::viewable, icccm_state::withdrawn, false, false, normal_area), {state::maximized, true, work_area},
       state::normal, "resized by another client after the layer's maximize"},
      {facts(map_state::viewable, icccm_state::withdrawn, false, false, work_area), {state::maximized, false, {}},
       state::normal, "covering the screen, but not by the layer's maximize"},
      {facts(map_state::unmapped), {state::minimized, false, {}}, state::minimized, "unmapped by the layer's minimize"},
      {facts(map_state::unmapped), {state::normal, false, {}}, state::hidden, "unmapped by another client"},
      {facts(map_state::unmapped), {state::maximized, true, work_area}, state::hidden,
       "maximized, unmapped by another client"},
      {facts(map_state::unviewable), {state::normal, false, {}}, state::hidden, "inside a window out of sight"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(name(derive_show_state(c.facts, false, c.layer)), name(c.expected)) << c.what;
}
