#include "native_ui_host/provider.h"
#include "native_ui_host/tests/provider_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t int32_max = std::numeric_limits<std::int32_t>::max();

TEST(provider_dump, fresh_provider)
{
    const native_ui_host_provider provider(every_capability(), owner);
    EXPECT_EQ(provider.diagnostic_dump(),
              "native-ui-host-provider: schema=quon.native-ui-host-provider.v1; version=1; provider=host; "
              "state=new; owner-thread=5; sequence=0; timestamp=0; correlation=0; events=0; nodes=0; "
              "displays=0; topology=0; session=active; composition=false; keyboard-requested=false; "
              "keyboard-visible=false; clipboard-format=; failures=0; allocations=0; max-latency-us=0; "
              "diagnostic=ok");
}

TEST(provider_dump, first_line_and_dump_after_initialize)
{
    native_ui_host_provider provider(every_capability(), owner);
    ASSERT_TRUE(provider.initialize(true, false, owner, 0, 0));
    EXPECT_EQ(provider.event_at(0),
              "host-event 1: time=1; correlation=1; category=provider; subject=host; state=ready; "
              "detail=owner-thread-bound");
    EXPECT_EQ(provider.diagnostic_dump(),
              "native-ui-host-provider: schema=quon.native-ui-host-provider.v1; version=1; provider=host; "
              "state=ready; owner-thread=5; sequence=1; timestamp=1; correlation=1; events=1; nodes=0; "
              "displays=0; topology=0; session=active; composition=false; keyboard-requested=false; "
              "keyboard-visible=false; clipboard-format=; failures=0; allocations=1; max-latency-us=0; "
              "diagnostic=ok");
}

TEST(provider_dump, shows_the_last_refusal_and_what_was_built)
{
    auto provider = ready_provider();
    ASSERT_TRUE(provider->accessibility_batch_begin(owner, 0, 0));
    ASSERT_TRUE(provider->accessibility_update("node-a", 1, "button", "OK", owner));
    ASSERT_TRUE(provider->display_publish({"d1", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, true}, owner));
    ASSERT_TRUE(provider->display_topology_changed(owner, 0, 0));
    ASSERT_TRUE(provider->clipboard_set("editor", "text/plain;charset=utf-8", "hi", false, true, owner, 0, 0));
    ASSERT_TRUE(provider->text_input_begin("w1", "ka", 0, 2, 0, 0, 10, 20, 1, 16, 10, 40, "text", "none", false,
                                           true, owner, 0, 0));
    ASSERT_TRUE(provider->session_transition(true, "lid-closed", owner, 0, 0));
    EXPECT_FALSE(provider->accessibility_batch_begin(owner, 0, 0));
    EXPECT_EQ(provider->diagnostic_dump(),
              "native-ui-host-provider: schema=quon.native-ui-host-provider.v1; version=1; provider=host; "
              "state=ready; owner-thread=5; sequence=6; timestamp=6; correlation=6; events=6; nodes=1; "
              "displays=1; topology=1; session=suspended; composition=true; keyboard-requested=true; "
              "keyboard-visible=false; clipboard-format=text/plain;charset=utf-8; failures=1; allocations=21; "
              "max-latency-us=3; diagnostic=host.ui_services accessibility-batch rejected: nested-batch");
}

struct timing_step {
    std::int32_t timestamp;
    std::int32_t correlation;
    const char* recorded;  // "time=...; correlation=..." of the line written
};

TEST(provider_event_log, times_rise_strictly_and_correlations_fill_in)
{
    const std::vector<timing_step> steps = {
        {40, 9, "time=40; correlation=9"},
        {40, 0, "time=41; correlation=10"},   // same time: one later; no correlation: last + 1
        {12, -3, "time=42; correlation=11"},  // earlier time: one later
        {50, 4, "time=50; correlation=4"},    // a positive correlation is kept even when lower
        {0, 0, "time=51; correlation=5"},
        {52, 5, "time=52; correlation=5"},
        // At the top of the 32-bit range the "+1" goes on past it.
        {int32_max, int32_max, "time=2147483647; correlation=2147483647"},
        {int32_max, 0, "time=2147483648; correlation=2147483648"},
        {7, -1, "time=2147483649; correlation=2147483649"},
        {int32_max, 3, "time=2147483650; correlation=3"},
    };
    auto provider = ready_provider();
    std::int32_t number = 2;
    for (const auto& step : steps) {
        ASSERT_TRUE(provider->window_event("w1", "resize", step.timestamp, step.correlation, owner));
        EXPECT_EQ(newest_line(*provider), "host-event " + std::to_string(number) + ": " + step.recorded +
                                              "; category=window; subject=w1; state=resize; "
                                              "detail=correlated-window-runtime-event");
        ++number;
    }
    const std::string dump = provider->diagnostic_dump();
    EXPECT_NE(dump.find("; timestamp=2147483650; correlation=3; "), std::string::npos) << dump;
}

TEST(provider_event_log, counters_go_on_past_the_32_bit_range)
{
    auto provider = ready_provider();
    ASSERT_TRUE(provider->display_publish({"d1", 0, 0, 10, 10, 0, 0, 10, 10, 100, true}, owner));
    native_ui_host_provider_test_access::start_counters_at(*provider, int32_max);

    ASSERT_TRUE(provider->display_topology_changed(owner, 0, 0));
    EXPECT_TRUE(ends_with(newest_line(*provider), "detail=revision=2147483648; displays=1"));
    EXPECT_EQ(newest_line(*provider).rfind("host-event 2147483647: ", 0), 0u) << newest_line(*provider);
    EXPECT_FALSE(provider->session_transition(false, "", owner, 0, 0));

    const std::string dump = provider->diagnostic_dump();
    EXPECT_NE(dump.find("; sequence=2147483647; "), std::string::npos) << dump;
    EXPECT_NE(dump.find("; topology=2147483648; "), std::string::npos) << dump;
    EXPECT_NE(dump.find("; failures=2147483648; allocations=2147483648; "), std::string::npos) << dump;
}

TEST(provider_event_log, lines_are_read_back_by_index)
{
    auto provider = ready_provider();
    ASSERT_TRUE(provider->window_event("w1", "{0}; kind", 0, 0, owner));
    EXPECT_EQ(provider->event_at(-1), "");
    EXPECT_EQ(provider->event_at(2), "");
    EXPECT_EQ(provider->event_at(std::numeric_limits<std::int32_t>::min()), "");
    EXPECT_TRUE(ends_with(provider->event_at(0), "state=ready; detail=owner-thread-bound"));
    // Inserted texts are copied as given, placeholders and separators included.
    EXPECT_TRUE(ends_with(provider->event_at(1), "subject=w1; state={0}; kind; detail=correlated-window-runtime-event"));

    ASSERT_TRUE(provider->teardown(owner, 0, 0));
    EXPECT_EQ(provider->events().size(), 3u);
    EXPECT_TRUE(ends_with(provider->event_at(2), "state=torn-down; detail=queues-quiesced-identities-invalidated"));
}

TEST(provider_event_log, latencies_are_fixed_per_operation)
{
    auto provider = ready_provider();
    ASSERT_TRUE(provider->accessibility_batch_begin(owner, 0, 0));
    EXPECT_EQ(provider->max_latency_us(), 0);
    ASSERT_TRUE(provider->accessibility_batch_commit(owner, 0, 0));
    EXPECT_EQ(provider->max_latency_us(), 1);
    ASSERT_TRUE(provider->text_input_begin("w1", "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "text", "none", false, false,
                                           owner, 0, 0));
    EXPECT_EQ(provider->max_latency_us(), 3);
    ASSERT_TRUE(provider->text_input_commit("w1", "", 0, 0, owner, 0, 0));
    ASSERT_TRUE(provider->session_transition(true, "idle", owner, 0, 0));
    EXPECT_EQ(provider->max_latency_us(), 3);
}

// Keeps the state and latency of every line it records.
class latency_recorder : public native_ui_host_provider {
public:
    using native_ui_host_provider::native_ui_host_provider;
    std::vector<std::pair<std::string, std::int32_t>> latencies;

    void record_host_event(const std::string& category, const std::string& subject, const std::string& state,
                           const std::string& detail, std::int32_t timestamp, std::int32_t correlation,
                           std::int32_t latency_us) override
    {
        latencies.emplace_back(state, latency_us);
        native_ui_host_provider::record_host_event(category, subject, state, detail, timestamp, correlation,
                                                   latency_us);
    }
};

TEST(provider_event_log, each_line_carries_its_operations_latency)
{
    latency_recorder p(every_capability(), owner);
    ASSERT_TRUE(p.initialize(true, false, owner, 0, 0));
    ASSERT_TRUE(p.window_event("w1", "resize", 0, 0, owner));
    ASSERT_TRUE(p.accessibility_batch_begin(owner, 0, 0));
    ASSERT_TRUE(p.accessibility_update("node-a", 1, "button", "OK", owner));
    ASSERT_TRUE(p.accessibility_batch_commit(owner, 0, 0));
    ASSERT_TRUE(p.accessibility_action("node-a", 1, "press", false, owner, 0, 0));
    const auto begin = [&p] {
        return p.text_input_begin("w1", "ka", 0, 2, 0, 0, 0, 0, 1, 16, 0, 0, "text", "none", false, false, owner,
                                  0, 0);
    };
    ASSERT_TRUE(begin());
    ASSERT_TRUE(p.surrounding_text("w1", "ka", 0, 2, 0, 0, owner, 0, 0));
    ASSERT_TRUE(p.text_input_commit("w1", "ka", 0, 2, owner, 0, 0));
    ASSERT_TRUE(begin());
    ASSERT_TRUE(p.text_input_cancel("w1", "escape", owner, 0, 0));
    ASSERT_TRUE(begin());
    ASSERT_TRUE(p.text_focus_transfer("w1", "w2", owner, 0, 0));
    ASSERT_TRUE(p.virtual_keyboard(true, true, "shown", owner, 0, 0));
    ASSERT_TRUE(p.clipboard_set("editor", "image/rgba8", "", true, true, owner, 0, 0));
    ASSERT_TRUE(p.clipboard_materialize("editor", "px", true, owner, 0, 0));
    ASSERT_EQ(p.clipboard_read("image/rgba8", true, owner, 0, 0), "px");
    ASSERT_TRUE(p.display_publish({"d1", 0, 0, 10, 10, 0, 0, 10, 10, 100, true}, owner));
    ASSERT_TRUE(p.display_topology_changed(owner, 0, 0));
    ASSERT_TRUE(p.session_transition(true, "idle", owner, 0, 0));
    ASSERT_TRUE(p.provider_loss("gone", owner, 0, 0));
    ASSERT_TRUE(p.teardown(owner, 0, 0));

    const std::vector<std::pair<std::string, std::int32_t>> expected = {
        {"ready", 0},      {"resize", 0},           {"batch-begin", 0},  {"batch-commit", 1},
        {"action", 2},     {"preedit", 3},          {"surrounding-update", 2}, {"commit", 2},
        {"preedit", 3},    {"cancel", 1},           {"preedit", 3},      {"focus-cancel", 1},
        {"focus", 1},      {"virtual-keyboard", 1}, {"ownership", 2},    {"materialized", 2},
        {"read", 1},       {"changed", 2},          {"suspended", 1},    {"lost", 1},
        {"torn-down", 1},
    };
    EXPECT_EQ(p.latencies, expected);

    latency_recorder partial(every_capability(), owner);
    EXPECT_FALSE(partial.initialize(true, true, owner, 0, 0));
    EXPECT_EQ(partial.latencies,
              (std::vector<std::pair<std::string, std::int32_t>>{{"partial-initialization-cleaned", 0}}));
}

} // namespace
