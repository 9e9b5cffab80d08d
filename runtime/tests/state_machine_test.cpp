#include "runtime/state_machine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct machine_view {
    std::string current;
    std::string previous;
    std::string last_event;
    std::uint32_t transition_count;
    std::string status;
};

void expect_machine(const state_machine& m, const machine_view& want, const std::string& context)
{
    EXPECT_EQ(m.current, want.current) << context;
    EXPECT_EQ(m.previous, want.previous) << context;
    EXPECT_EQ(m.last_event, want.last_event) << context;
    EXPECT_EQ(m.transition_count, want.transition_count) << context;
    EXPECT_EQ(m.status, want.status) << context;
}

const std::vector<state_transition> idle_running = {
    {"idle", "start", "running"},
    {"running", "stop", "idle"},
};

TEST(state_machine, starts_in_initial_state)
{
    const state_machine m("idle", idle_running);
    expect_machine(m, {"idle", "idle", "", 0, "ok"}, "after construction");
    EXPECT_EQ(m.rules.size(), 2u);
}

struct fire_step {
    const char* event;
    bool taken;
    machine_view after;
};

struct fire_case {
    const char* what;
    std::vector<state_transition> rules;
    std::vector<fire_step> steps;
};

TEST(state_machine, fire_sequences)
{
    const std::vector<fire_case> cases = {
        {"start then stop",
         idle_running,
         {{"start", true, {"running", "idle", "start", 1, "ok"}},
          {"stop", true, {"idle", "running", "stop", 2, "ok"}}}},
        {"unknown event changes nothing",
         idle_running,
         {{"stop", false, {"idle", "idle", "", 0, "ok"}},
          {"START", false, {"idle", "idle", "", 0, "ok"}}}},
        {"duplicate rules are ambiguous",
         {{"idle", "start", "running"}, {"idle", "start", "running"}},
         {{"start", false, {"idle", "idle", "", 0, "Ambiguous state transition"}}}},
        {"ambiguity to different states, cleared by the next transition only",
         {{"idle", "start", "a"}, {"idle", "start", "b"}, {"idle", "go", "a"}},
         {{"start", false, {"idle", "idle", "", 0, "Ambiguous state transition"}},
          {"nothing", false, {"idle", "idle", "", 0, "Ambiguous state transition"}},
          {"go", true, {"a", "idle", "go", 1, "ok"}}}},
        {"self loop twice",
         {{"idle", "start", "running"}, {"running", "tick", "running"}},
         {{"start", true, {"running", "idle", "start", 1, "ok"}},
          {"tick", true, {"running", "running", "tick", 2, "ok"}},
          {"tick", true, {"running", "running", "tick", 3, "ok"}}}},
        {"empty event and empty states",
         {{"idle", "", ""}, {"", "", "idle"}},
         {{"", true, {"", "idle", "", 1, "ok"}}, {"", true, {"idle", "", "", 2, "ok"}}}},
        {"no rules", {}, {{"start", false, {"idle", "idle", "", 0, "ok"}}, {"", false, {"idle", "idle", "", 0, "ok"}}}},
        {"rules of other states do not make it ambiguous",
         {{"running", "start", "x"}, {"idle", "start", "running"}, {"done", "start", "y"}},
         {{"start", true, {"running", "idle", "start", 1, "ok"}}}},
    };
    for (const auto& c : cases) {
        state_machine m("idle", c.rules);
        int step = 0;
        for (const auto& s : c.steps) {
            const std::string context = std::string(c.what) + ", step " + std::to_string(++step);
            EXPECT_EQ(m.fire(s.event), s.taken) << context;
            expect_machine(m, s.after, context);
        }
    }
}

TEST(state_machine, event_that_is_one_of_its_own_texts)
{
    // The event names a state: the text given must be recorded, not the state
    // it turns into during the transition.
    state_machine m("a", {{"a", "a", "b"}, {"b", "a", "c"}});
    EXPECT_TRUE(m.fire(m.current));
    expect_machine(m, {"b", "a", "a", 1, "ok"}, "fire(current)");
    EXPECT_TRUE(m.fire(m.last_event));
    expect_machine(m, {"c", "b", "a", 2, "ok"}, "fire(last_event)");
}

TEST(state_machine, transition_count_wraps_without_overflow)
{
    state_machine m("s", {{"s", "tick", "s"}});
    m.transition_count = UINT32_MAX;
    EXPECT_TRUE(m.fire("tick"));
    EXPECT_EQ(m.transition_count, 0u);
}

} // namespace
