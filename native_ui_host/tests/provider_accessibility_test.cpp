#include "native_ui_host/provider.h"
#include "native_ui_host/tests/provider_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using provider_ref = native_ui_host_provider&;

void begin(provider_ref p)
{
    EXPECT_TRUE(p.accessibility_batch_begin(owner, 0, 0));
}

void update(provider_ref p, const std::string& id, std::int32_t generation, const std::string& role = "button",
            const std::string& name = "OK")
{
    EXPECT_TRUE(p.accessibility_update(id, generation, role, name, owner)) << p.diagnostic();
}

void node_a_at(provider_ref p, std::int32_t generation)
{
    begin(p);
    update(p, "node-a", generation);
}

void expect_node(provider_ref p, const std::string& id, std::int32_t generation, const std::string& role,
                 const std::string& name)
{
    const std::int32_t index = p.find_node(id);
    ASSERT_GE(index, 0) << id;
    const auto row = static_cast<std::size_t>(index);
    EXPECT_EQ(p.node_generations()[row], generation);
    EXPECT_EQ(p.node_roles()[row], role);
    EXPECT_EQ(p.node_names()[row], name);
}

TEST(provider_accessibility, batches_updates_and_actions)
{
    const std::string invalid = refusal("accessibility-update", "invalid-batch-node-role-or-name");
    const std::string stale_identity = refusal("accessibility-action", "stale-or-missing-node-identity");
    const std::vector<service_case> cases = {
        {"update without a batch", nullptr, [](provider_ref p) { return p.accessibility_update("node-a", 1, "button", "OK", owner); },
         false, invalid, "", [](provider_ref p) { EXPECT_EQ(p.find_node("node-a"), -1); }},
        {"begin, update, commit",
         [](provider_ref p) { node_a_at(p, 1); },
         [](provider_ref p) { return p.accessibility_batch_commit(owner, 0, 0); }, true, "ok",
         "accessibility; subject=tree; state=batch-commit; detail=nodes=1",
         [](provider_ref p) {
             EXPECT_TRUE(ends_with(p.event_at(1), "category=accessibility; subject=tree; state=batch-begin; "
                                                  "detail=updates-hidden-until-commit"));
             EXPECT_EQ(p.allocations(), 1 + 4 + 2);
             EXPECT_EQ(p.accessibility_batch_depth(), 0u);
         }},
        {"same generation replaces role and name", [](provider_ref p) { node_a_at(p, 1); },
         [](provider_ref p) { return p.accessibility_update("node-a", 1, "link", "Open", owner); }, true, "ok", "",
         [](provider_ref p) {
             EXPECT_EQ(p.node_ids().size(), 1u);
             EXPECT_EQ(p.allocations(), 1 + 4 + 1);
             expect_node(p, "node-a", 1, "link", "Open");
         }},
        {"generation 0", [](provider_ref p) { node_a_at(p, 1); },
         [](provider_ref p) { return p.accessibility_update("node-a", 0, "link", "Open", owner); }, false, invalid, "",
         [](provider_ref p) { expect_node(p, "node-a", 1, "button", "OK"); }},
        {"stale generation",
         [](provider_ref p) {
             node_a_at(p, 1);
             update(p, "node-a", 3, "button", "Three");
         },
         [](provider_ref p) { return p.accessibility_update("node-a", 2, "link", "Two", owner); }, false,
         refusal("accessibility-update", "stale-generation"), "",
         [](provider_ref p) { expect_node(p, "node-a", 3, "button", "Three"); }},
        {"empty id", begin, [](provider_ref p) { return p.accessibility_update("", 1, "button", "OK", owner); },
         false, invalid, "", [](provider_ref p) { EXPECT_TRUE(p.node_ids().empty()); }},
        {"empty role", begin, [](provider_ref p) { return p.accessibility_update("n", 1, "", "OK", owner); }, false,
         invalid, ""},
        {"empty name", begin, [](provider_ref p) { return p.accessibility_update("n", 1, "button", "", owner); },
         false, invalid, ""},
        {"nested begin", begin, [](provider_ref p) { return p.accessibility_batch_begin(owner, 0, 0); }, false,
         refusal("accessibility-batch", "nested-batch"), "",
         [](provider_ref p) {
             EXPECT_EQ(p.accessibility_batch_depth(), 1u);
             EXPECT_TRUE(p.accessibility_batch_commit(owner, 0, 0));
             EXPECT_EQ(p.accessibility_batch_depth(), 0u);
         }},
        {"commit without a batch", nullptr, [](provider_ref p) { return p.accessibility_batch_commit(owner, 0, 0); },
         false, refusal("accessibility-batch", "no-active-batch"), ""},
        {"second commit", [](provider_ref p) { begin(p); EXPECT_TRUE(p.accessibility_batch_commit(owner, 0, 0)); },
         [](provider_ref p) { return p.accessibility_batch_commit(owner, 0, 0); }, false,
         refusal("accessibility-batch", "no-active-batch"), ""},
        {"updates are seen before the commit", [](provider_ref p) { node_a_at(p, 2); },
         [](provider_ref p) { return p.accessibility_action("node-a", 2, "press", false, owner, 0, 0); }, true, "ok",
         "accessibility; subject=node-a; state=action; detail=press",
         [](provider_ref p) {
             EXPECT_EQ(p.max_latency_us(), 2);
             EXPECT_FALSE(p.action_in_progress());
         }},
        {"action needs no open batch",
         [](provider_ref p) { node_a_at(p, 1); EXPECT_TRUE(p.accessibility_batch_commit(owner, 0, 0)); },
         [](provider_ref p) { return p.accessibility_action("node-a", 1, "focus {0}", false, owner, 0, 0); }, true,
         "ok", "accessibility; subject=node-a; state=action; detail=focus {0}"},
        {"action with another generation", [](provider_ref p) { node_a_at(p, 2); },
         [](provider_ref p) { return p.accessibility_action("node-a", 1, "press", false, owner, 0, 0); }, false,
         stale_identity, ""},
        {"action on an unknown node", [](provider_ref p) { node_a_at(p, 1); },
         [](provider_ref p) { return p.accessibility_action("node-b", 1, "press", false, owner, 0, 0); }, false,
         stale_identity, ""},
        {"action from a callback on an unknown node", [](provider_ref p) { node_a_at(p, 1); },
         [](provider_ref p) { return p.accessibility_action("node-b", 1, "press", true, owner, 0, 0); }, false,
         stale_identity, "", [](provider_ref p) { EXPECT_FALSE(p.action_in_progress()); }},
        {"stale generation after the commit",
         [](provider_ref p) {
             node_a_at(p, 3);
             EXPECT_TRUE(p.accessibility_batch_commit(owner, 0, 0));
         },
         [](provider_ref p) { return p.accessibility_update("node-a", 2, "link", "Two", owner); }, false, invalid,
         "", [](provider_ref p) { expect_node(p, "node-a", 3, "button", "OK"); }},
        {"action from a callback", [](provider_ref p) { node_a_at(p, 1); },
         [](provider_ref p) { return p.accessibility_action("node-a", 1, "press", true, owner, 0, 0); }, false,
         refusal("accessibility-action", "callback-reentrancy-blocked"), "",
         [](provider_ref p) {
             EXPECT_FALSE(p.action_in_progress());
             EXPECT_TRUE(p.accessibility_action("node-a", 1, "press", false, owner, 0, 0));
         }},
        {"capability off", nullptr, [](provider_ref p) { return p.accessibility_batch_begin(owner, 0, 0); }, false,
         refusal("accessibility", "capability-unavailable-before-effect"), "", nullptr,
         without(&native_ui_host_capabilities::accessibility)},
        {"loss keeps the open batch and the nodes", [](provider_ref p) { node_a_at(p, 1); },
         [](provider_ref p) { return p.provider_loss("gone", owner, 0, 0); }, true, "ok",
         "provider; subject=host; state=lost; detail=gone",
         [](provider_ref p) {
             EXPECT_EQ(p.accessibility_batch_depth(), 1u);
             EXPECT_FALSE(p.accessibility_batch_commit(owner, 0, 0));
             EXPECT_EQ(p.diagnostic(), refusal("accessibility", "provider-state=lost"));
         }},
        {"teardown closes the batch and keeps the nodes", [](provider_ref p) { node_a_at(p, 1); },
         [](provider_ref p) { return p.teardown(owner, 0, 0); }, true, "ok",
         "provider; subject=host; state=torn-down; detail=queues-quiesced-identities-invalidated",
         [](provider_ref p) {
             EXPECT_EQ(p.accessibility_batch_depth(), 0u);
             EXPECT_EQ(p.find_node("node-a"), 0);
         }},
    };
    run_service_cases(cases);
}

TEST(provider_accessibility, nodes_keep_their_order_of_first_appearance)
{
    auto provider = ready_provider();
    begin(*provider);
    for (const std::string id : {"c", "a", "b"}) {
        update(*provider, id, 1);
    }
    update(*provider, "a", 5, "slider", "Volume");
    EXPECT_EQ(provider->node_ids(), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(provider->find_node("c"), 0);
    EXPECT_EQ(provider->find_node("a"), 1);
    EXPECT_EQ(provider->find_node("b"), 2);
    EXPECT_EQ(provider->find_node("A"), -1);
    EXPECT_EQ(provider->find_node(""), -1);
    expect_node(*provider, "a", 5, "slider", "Volume");
    EXPECT_EQ(provider->allocations(), 1 + 1 + 3 * 4);
}

// Reacts to its own action line by invoking another action, as a host
// callback would.
class echoing_provider : public native_ui_host_provider {
public:
    using native_ui_host_provider::native_ui_host_provider;
    bool inner_result = true;
    std::string inner_diagnostic;

    void record_host_event(const std::string& category, const std::string& subject, const std::string& state,
                           const std::string& detail, std::int32_t timestamp, std::int32_t correlation,
                           std::int32_t latency_us) override
    {
        native_ui_host_provider::record_host_event(category, subject, state, detail, timestamp, correlation,
                                                   latency_us);
        if (state == "action") {
            inner_result = accessibility_action(subject, 1, "echo", false, owner_thread(), 0, 0);
            inner_diagnostic = diagnostic();
        }
    }
};

TEST(provider_accessibility, an_action_recorded_from_an_action_is_refused)
{
    echoing_provider provider(every_capability(), owner);
    ASSERT_TRUE(provider.initialize(true, false, owner, 0, 0));
    ASSERT_TRUE(provider.accessibility_batch_begin(owner, 0, 0));
    ASSERT_TRUE(provider.accessibility_update("node-a", 1, "button", "OK", owner));

    EXPECT_TRUE(provider.accessibility_action("node-a", 1, "press", false, owner, 0, 0));
    EXPECT_FALSE(provider.inner_result);
    EXPECT_EQ(provider.inner_diagnostic, refusal("accessibility-action", "reentrant-or-unavailable"));
    EXPECT_FALSE(provider.action_in_progress());
    EXPECT_EQ(provider.events().size(), 3u);
}

} // namespace
