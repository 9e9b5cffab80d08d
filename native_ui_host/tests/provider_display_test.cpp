#include "native_ui_host/host_display.h"
#include "native_ui_host/provider.h"
#include "native_ui_host/tests/provider_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using provider_ref = native_ui_host_provider&;

constexpr std::int32_t int32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32_min = std::numeric_limits<std::int32_t>::min();

host_display full_hd(const std::string& id, bool primary)
{
    return {id, 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, primary};
}

TEST(display_geometry, validates_sizes_then_the_work_area)
{
    struct geometry_case {
        const char* name;
        host_display display;
        const char* result;
    };
    const std::vector<geometry_case> cases = {
        {"full hd with a task bar", {"d1", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, true}, "ok"},
        {"work area equal to the display", {"d1", 0, 0, 1920, 1080, 0, 0, 1920, 1080, 100, false}, "ok"},
        {"left of the primary", {"d2", -1920, 0, 1920, 1080, -1920, 0, 1920, 1080, 150, false}, "ok"},
        {"work area below the display", {"d1", 0, 0, 1920, 1080, 0, 40, 1920, 1080, 100, true},
         "work-area-outside-display"},
        {"work area left of the display", {"d1", 0, 0, 1920, 1080, -1, 0, 100, 100, 100, true},
         "work-area-outside-display"},
        {"work area above the display", {"d1", 0, 0, 1920, 1080, 0, -1, 100, 100, 100, true},
         "work-area-outside-display"},
        {"work area too wide", {"d1", 0, 0, 1920, 1080, 1, 0, 1920, 100, 100, true}, "work-area-outside-display"},
        {"zero width", {"d1", 0, 0, 0, 1080, 0, 0, 1920, 1040, 100, true}, "invalid-display-geometry"},
        {"negative height", {"d1", 0, 0, 1920, -1080, 0, 0, 1920, 1040, 100, true}, "invalid-display-geometry"},
        {"zero work width", {"d1", 0, 0, 1920, 1080, 0, 0, 0, 1040, 100, true}, "invalid-display-geometry"},
        {"zero work height", {"d1", 0, 0, 1920, 1080, 0, 0, 1920, 0, 100, true}, "invalid-display-geometry"},
        {"zero scale", {"d1", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 0, true}, "invalid-display-geometry"},
        {"empty id", {"", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, true}, "invalid-display-geometry"},
        {"size checked before the work area", {"d1", 0, 0, 0, 1080, 5000, 0, 1920, 1040, 100, true},
         "invalid-display-geometry"},
        // Edges past the 32-bit range are compared exactly, not wrapped.
        {"display ending past the range", {"d1", int32_max - 10, 0, 100, 10, int32_max - 10, 0, 100, 10, 1, true},
         "ok"},
        {"work area ending past the range",
         {"d1", 0, 0, int32_max, 10, int32_max - 1, 0, int32_max, 10, 1, true}, "work-area-outside-display"},
        {"work area ending past the range below",
         {"d1", 0, 0, 10, int32_max, 0, int32_max - 1, 10, int32_max, 1, true}, "work-area-outside-display"},
        {"largest display", {"d1", int32_max, int32_max, int32_max, int32_max, int32_max, int32_max, int32_max,
                             int32_max, int32_max, true},
         "ok"},
        {"from the lowest coordinate", {"d1", int32_min, int32_min, int32_max, int32_max, int32_min, int32_min,
                                        int32_max, int32_max, 1, true},
         "ok"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(validate_display_geometry(c.display), c.result) << c.name;
    }
}

void publish(provider_ref p, const host_display& display)
{
    EXPECT_TRUE(p.display_publish(display, owner)) << p.diagnostic();
}

std::function<bool(provider_ref)> topology_change()
{
    return [](provider_ref p) { return p.display_topology_changed(owner, 0, 0); };
}

TEST(provider_displays, publish_and_topology_changes)
{
    const std::vector<service_case> cases = {
        {"publish", nullptr, [](provider_ref p) { return p.display_publish(full_hd("d1", true), owner); }, true,
         "ok", "",
         [](provider_ref p) {
             EXPECT_EQ(p.find_display("d1"), 0);
             EXPECT_EQ(p.allocations(), 1 + 11);
             EXPECT_EQ(p.topology(), 0);
             EXPECT_EQ(p.work_height()[0], 1040);
         }},
        {"publish of an invalid display", nullptr,
         [](provider_ref p) {
             return p.display_publish({"d1", 0, 0, 1920, 1080, 0, 40, 1920, 1080, 100, true}, owner);
         },
         false, refusal("display-publish", "work-area-outside-display"), "",
         [](provider_ref p) {
             EXPECT_EQ(p.find_display("d1"), -1);
             EXPECT_TRUE(p.display_ids().empty());
             EXPECT_EQ(p.allocations(), 1);
         }},
        {"publish twice replaces the values",
         [](provider_ref p) { publish(p, full_hd("d1", true)); },
         [](provider_ref p) {
             return p.display_publish({"d1", 10, 20, 2560, 1440, 10, 20, 2560, 1400, 125, false}, owner);
         },
         true, "ok", "",
         [](provider_ref p) {
             EXPECT_EQ(p.display_ids().size(), 1u);
             EXPECT_EQ(p.allocations(), 1 + 11);
             EXPECT_EQ(p.display_x()[0], 10);
             EXPECT_EQ(p.display_width()[0], 2560);
             EXPECT_EQ(p.display_scale()[0], 125);
             EXPECT_FALSE(p.display_primary()[0]);
         }},
        {"change without displays", nullptr, topology_change(), false, refusal("display-topology", "no-displays"),
         ""},
        {"change with two primaries",
         [](provider_ref p) {
             publish(p, full_hd("d1", true));
             publish(p, full_hd("d2", true));
         },
         topology_change(), false, refusal("display-topology", "primary-count=2"), "",
         [](provider_ref p) { EXPECT_EQ(p.topology(), 0); }},
        {"change without a primary", [](provider_ref p) { publish(p, full_hd("d1", false)); }, topology_change(),
         false, refusal("display-topology", "primary-count=0"), ""},
        {"change with one primary among two",
         [](provider_ref p) {
             publish(p, full_hd("d1", true));
             publish(p, {"d2", -1920, 0, 1920, 1080, -1920, 0, 1920, 1080, 100, false});
         },
         topology_change(), true, "ok", "display; subject=topology; state=changed; detail=revision=1; displays=2",
         [](provider_ref p) {
             EXPECT_EQ(p.topology(), 1);
             EXPECT_EQ(p.find_display("d2"), 1);
             EXPECT_TRUE(p.display_topology_changed(owner, 0, 0));
             EXPECT_TRUE(ends_with(newest_line(p), "detail=revision=2; displays=2"));
         }},
        {"republishing resolves two primaries",
         [](provider_ref p) {
             publish(p, full_hd("d1", true));
             publish(p, full_hd("d2", true));
             publish(p, full_hd("d2", false));
         },
         topology_change(), true, "ok", "display; subject=topology; state=changed; detail=revision=1; displays=2"},
        {"capability off", nullptr, [](provider_ref p) { return p.display_publish(full_hd("d1", true), owner); },
         false, refusal("display-topology", "capability-unavailable-before-effect"), "", nullptr,
         without(&native_ui_host_capabilities::display_topology)},
        {"loss and teardown keep the topology",
         [](provider_ref p) {
             publish(p, full_hd("d1", true));
             EXPECT_TRUE(p.display_topology_changed(owner, 0, 0));
             EXPECT_TRUE(p.provider_loss("gone", owner, 0, 0));
         },
         [](provider_ref p) { return p.teardown(owner, 0, 0); }, true, "ok",
         "provider; subject=host; state=torn-down; detail=queues-quiesced-identities-invalidated",
         [](provider_ref p) {
             EXPECT_EQ(p.find_display("d1"), 0);
             EXPECT_EQ(p.topology(), 1);
             EXPECT_EQ(p.session(), "active");
         }},
    };
    run_service_cases(cases);
}

TEST(provider_displays, keep_their_order_of_first_publication)
{
    auto provider = ready_provider();
    for (const std::string id : {"right", "left", "top"}) {
        publish(*provider, full_hd(id, false));
    }
    publish(*provider, full_hd("left", true));
    EXPECT_EQ(provider->display_ids(), (std::vector<std::string>{"right", "left", "top"}));
    EXPECT_EQ(provider->find_display("right"), 0);
    EXPECT_EQ(provider->find_display("left"), 1);
    EXPECT_EQ(provider->find_display("top"), 2);
    EXPECT_EQ(provider->find_display("Left"), -1);
    EXPECT_EQ(provider->display_primary(), (std::vector<bool>{false, true, false}));
}

TEST(provider_session_and_window_events, transitions_and_relay)
{
    const native_ui_host_capabilities nothing = no_capability();
    const std::vector<service_case> cases = {
        {"to the current state", nullptr,
         [](provider_ref p) { return p.session_transition(false, "resume", owner, 0, 0); }, false,
         refusal("session-transition", "duplicate-state=active"), ""},
        {"suspend", nullptr, [](provider_ref p) { return p.session_transition(true, "lid-closed", owner, 0, 0); },
         true, "ok", "session; subject=application; state=suspended; detail=lid-closed",
         [](provider_ref p) { EXPECT_EQ(p.session(), "suspended"); }},
        {"suspend twice",
         [](provider_ref p) { EXPECT_TRUE(p.session_transition(true, "lid-closed", owner, 0, 0)); },
         [](provider_ref p) { return p.session_transition(true, "lid-closed", owner, 0, 0); }, false,
         refusal("session-transition", "duplicate-state=suspended"), ""},
        {"resume", [](provider_ref p) { EXPECT_TRUE(p.session_transition(true, "lid-closed", owner, 0, 0)); },
         [](provider_ref p) { return p.session_transition(false, "lid-opened", owner, 0, 0); }, true, "ok",
         "session; subject=application; state=active; detail=lid-opened",
         [](provider_ref p) { EXPECT_EQ(p.session(), "active"); }},
        {"session capability off", nullptr,
         [](provider_ref p) { return p.session_transition(true, "idle", owner, 0, 0); }, false,
         refusal("session-lifecycle", "capability-unavailable-before-effect"), "", nullptr,
         without(&native_ui_host_capabilities::session_lifecycle)},
        {"window event with every capability off", nullptr,
         [](provider_ref p) { return p.window_event("main", "dpi-changed", 0, 0, owner); }, true, "ok",
         "window; subject=main; state=dpi-changed; detail=correlated-window-runtime-event", nullptr, nothing},
        {"window event without a window", nullptr,
         [](provider_ref p) { return p.window_event("", "resize", 0, 0, owner); }, false,
         refusal("window-event", "invalid-state-thread-or-window"), ""},
        {"window event on another thread", nullptr,
         [](provider_ref p) { return p.window_event("main", "resize", 0, 0, stranger); }, false,
         refusal("window-event", "invalid-state-thread-or-window"), ""},
    };
    run_service_cases(cases);

    native_ui_host_provider fresh(no_capability(), owner);
    EXPECT_FALSE(fresh.window_event("main", "resize", 0, 0, owner));
    EXPECT_EQ(fresh.diagnostic(), refusal("window-event", "invalid-state-thread-or-window"));
}

} // namespace
