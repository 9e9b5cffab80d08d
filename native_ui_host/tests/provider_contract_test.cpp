#include "native_ui_host/provider.h"
#include "native_ui_host/tests/provider_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

native_ui_host_capabilities with_schema(const std::string& schema)
{
    auto caps = every_capability();
    caps.schema = schema;
    return caps;
}

native_ui_host_capabilities with_version(std::int32_t version)
{
    auto caps = every_capability();
    caps.version = version;
    return caps;
}

using life_cycle_operation = std::function<bool(native_ui_host_provider&)>;

life_cycle_operation initialize_with(bool available, bool fail_partially, std::int32_t thread = owner)
{
    return [=](native_ui_host_provider& p) { return p.initialize(available, fail_partially, thread, 0, 0); };
}

life_cycle_operation loss_on(std::int32_t thread)
{
    return [=](native_ui_host_provider& p) { return p.provider_loss("display-server-gone", thread, 0, 0); };
}

life_cycle_operation teardown_on(std::int32_t thread)
{
    return [=](native_ui_host_provider& p) { return p.teardown(thread, 0, 0); };
}

struct life_cycle_case {
    std::string name;
    native_ui_host_capabilities caps;
    std::string from;
    life_cycle_operation operation;
    bool result;
    std::string to;
    std::string diagnostic;  // empty: left as the setup left it
    std::string line;        // tail of the one new line, or empty for none
};

std::vector<life_cycle_case> life_cycle_cases()
{
    const std::string invalid_state_or_thread = refusal("initialize", "invalid-state-or-thread");
    const std::string incompatible = refusal("initialize", "incompatible-capability-contract");
    const std::string loss_refused = refusal("provider-loss", "invalid-state-or-thread");
    auto empty_name = every_capability("");
    std::vector<life_cycle_case> cases = {
        {"initialize", every_capability(), "new", initialize_with(true, false), true, "ready", "ok",
         "subject=host; state=ready; detail=owner-thread-bound"},
        {"initialize, partial failure", every_capability(), "new", initialize_with(true, true), false, "failed",
         refusal("initialize", "partial-initialization"),
         "subject=host; state=partial-initialization-cleaned; detail=capabilities-created-services-not-published"},
        {"initialize, schema v2", with_schema("quon.native-ui-host-capabilities.v2"), "new",
         initialize_with(true, false), false, "unavailable", incompatible, ""},
        {"initialize, version 2", with_version(2), "new", initialize_with(true, false), false, "unavailable",
         incompatible, ""},
        {"initialize, empty provider name", empty_name, "new", initialize_with(true, false), false, "unavailable",
         incompatible, ""},
        {"initialize, incompatible and unavailable", with_version(0), "new", initialize_with(false, true), false,
         "unavailable", incompatible, ""},
        {"initialize, unavailable", every_capability(), "new", initialize_with(false, false), false, "unavailable",
         refusal("initialize", "provider-unavailable"), ""},
        {"initialize, unavailable beats partial failure", every_capability(), "new", initialize_with(false, true),
         false, "unavailable", refusal("initialize", "provider-unavailable"), ""},
        {"initialize on another thread", every_capability(), "new", initialize_with(true, false, stranger), false,
         "new", invalid_state_or_thread, ""},
        {"initialize on another thread before the contract check", with_version(2), "new",
         initialize_with(true, false, stranger), false, "new", invalid_state_or_thread, ""},
        {"provider loss", every_capability(), "ready", loss_on(owner), true, "lost", "",
         "subject=host; state=lost; detail=display-server-gone"},
        {"provider loss on another thread", every_capability(), "ready", loss_on(stranger), false, "ready",
         loss_refused, ""},
        {"teardown of new", every_capability(), "new", teardown_on(owner), false, "new",
         refusal("teardown", "invalid-state=new"), ""},
        {"second teardown", every_capability(), "torn-down", teardown_on(owner), true, "torn-down", "", ""},
    };
    for (const std::string from : {"ready", "failed", "unavailable", "lost", "torn-down"}) {
        cases.push_back({"initialize again from " + from, every_capability(), from, initialize_with(true, false),
                         false, from, invalid_state_or_thread, ""});
    }
    for (const std::string from : {"new", "failed", "unavailable", "lost", "torn-down"}) {
        cases.push_back({"provider loss from " + from, every_capability(), from, loss_on(owner), false, from,
                         loss_refused, ""});
    }
    for (const std::string from : {"ready", "lost", "failed", "unavailable"}) {
        cases.push_back({"teardown from " + from, every_capability(), from, teardown_on(owner), true, "torn-down",
                         "", "subject=host; state=torn-down; detail=queues-quiesced-identities-invalidated"});
    }
    for (const std::string from : {"new", "ready", "failed", "unavailable", "lost", "torn-down"}) {
        cases.push_back({"teardown on another thread from " + from, every_capability(), from,
                         teardown_on(stranger), false, from, refusal("teardown", "wrong-thread"), ""});
    }
    return cases;
}

TEST(provider_life_cycle, every_transition_gives_its_state_line_and_refusal)
{
    for (const auto& c : life_cycle_cases()) {
        SCOPED_TRACE(c.name);
        native_ui_host_provider provider(c.caps, owner);
        drive_to(provider, c.from);
        const std::string diagnostic = provider.diagnostic();
        const auto failures = provider.failures();
        const auto lines = provider.events().size();

        EXPECT_EQ(c.operation(provider), c.result);
        EXPECT_EQ(provider.state(), c.to);
        EXPECT_EQ(provider.diagnostic(), c.diagnostic.empty() ? diagnostic : c.diagnostic);
        EXPECT_EQ(provider.failures(), failures + (c.result ? 0 : 1));
        if (c.line.empty()) {
            EXPECT_EQ(provider.events().size(), lines);
        } else {
            ASSERT_EQ(provider.events().size(), lines + 1);
            EXPECT_TRUE(ends_with(newest_line(provider), "category=provider; " + c.line)) << newest_line(provider);
        }
    }
}

// Every service operation, each set up to be accepted on a fresh ready provider
// with every capability, so that only the state can refuse it.
struct service_entry {
    const char* capability;
    std::function<bool(native_ui_host_provider&, std::int32_t thread)> call;
};

std::vector<service_entry> service_entries()
{
    return {
        {"accessibility", [](native_ui_host_provider& p, std::int32_t t) { return p.accessibility_batch_begin(t, 0, 0); }},
        {"accessibility",
         [](native_ui_host_provider& p, std::int32_t t) { return p.accessibility_update("n", 1, "button", "OK", t); }},
        {"accessibility", [](native_ui_host_provider& p, std::int32_t t) { return p.accessibility_batch_commit(t, 0, 0); }},
        {"accessibility",
         [](native_ui_host_provider& p, std::int32_t t) { return p.accessibility_action("n", 1, "press", false, t, 0, 0); }},
        {"text-input",
         [](native_ui_host_provider& p, std::int32_t t) {
             return p.text_input_begin("w1", "ka", 0, 2, 0, 0, 0, 0, 1, 16, 0, 0, "text", "none", false, false, t, 0, 0);
         }},
        {"text-input",
         [](native_ui_host_provider& p, std::int32_t t) { return p.surrounding_text("w1", "ka", 0, 2, 0, 0, t, 0, 0); }},
        {"text-input",
         [](native_ui_host_provider& p, std::int32_t t) { return p.text_input_commit("w1", "ka", 0, 2, t, 0, 0); }},
        {"text-input",
         [](native_ui_host_provider& p, std::int32_t t) {
             return p.text_input_begin("w1", "ka", 0, 2, 0, 0, 0, 0, 1, 16, 0, 0, "text", "none", false, false, t, 0, 0) &&
                    p.text_input_cancel("w1", "esc", t, 0, 0);
         }},
        {"text-input", [](native_ui_host_provider& p, std::int32_t t) { return p.text_focus_transfer("", "w2", t, 0, 0); }},
        {"virtual-keyboard",
         [](native_ui_host_provider& p, std::int32_t t) { return p.virtual_keyboard(true, true, "shown", t, 0, 0); }},
        {"clipboard",
         [](native_ui_host_provider& p, std::int32_t t) {
             return p.clipboard_set("editor", "image/rgba8", "", true, true, t, 0, 0);
         }},
        {"clipboard",
         [](native_ui_host_provider& p, std::int32_t t) { return p.clipboard_materialize("editor", "px", true, t, 0, 0); }},
        {"clipboard",
         [](native_ui_host_provider& p, std::int32_t t) {
             const auto failures = p.failures();
             p.clipboard_read("image/rgba8", true, t, 0, 0);
             return p.failures() == failures;
         }},
        {"display-topology",
         [](native_ui_host_provider& p, std::int32_t t) {
             return p.display_publish({"d1", 0, 0, 10, 10, 0, 0, 10, 10, 100, true}, t);
         }},
        {"display-topology", [](native_ui_host_provider& p, std::int32_t t) { return p.display_topology_changed(t, 0, 0); }},
        {"session-lifecycle",
         [](native_ui_host_provider& p, std::int32_t t) { return p.session_transition(true, "lid-closed", t, 0, 0); }},
    };
}

TEST(provider_guard, service_operations_work_only_when_ready)
{
    for (const std::string state : {"new", "failed", "unavailable", "lost", "torn-down"}) {
        SCOPED_TRACE(state);
        native_ui_host_provider provider(every_capability(), owner);
        drive_to(provider, state);
        for (const auto& entry : service_entries()) {
            const auto failures = provider.failures();
            const auto lines = provider.events().size();
            EXPECT_FALSE(entry.call(provider, owner));
            EXPECT_EQ(provider.diagnostic(), refusal(entry.capability, "provider-state=" + state));
            EXPECT_EQ(provider.failures(), failures + 1);
            EXPECT_EQ(provider.events().size(), lines);
        }
        EXPECT_FALSE(provider.window_event("w1", "focus", 0, 0, owner));
        EXPECT_EQ(provider.diagnostic(), refusal("window-event", "invalid-state-thread-or-window"));
    }

    // In order on one ready provider, every operation finds what it needs.
    auto provider = ready_provider();
    for (const auto& entry : service_entries()) {
        EXPECT_TRUE(entry.call(*provider, owner)) << entry.capability << ": " << provider->diagnostic();
    }
    EXPECT_TRUE(provider->window_event("w1", "focus", 0, 0, owner));
    EXPECT_EQ(provider->diagnostic(), "ok");
    EXPECT_EQ(provider->failures(), 0);
}

TEST(provider_guard, checks_state_then_thread_then_capability)
{
    const auto clipboard_off = without(&native_ui_host_capabilities::clipboard);
    struct guard_case {
        const char* name;
        native_ui_host_capabilities caps;
        std::string state;
        std::int32_t thread;
        std::string capability;
        std::string diagnostic;
    };
    const std::vector<guard_case> cases = {
        {"accepted", every_capability(), "ready", owner, "clipboard", "ok"},
        {"state before thread", every_capability(), "new", stranger, "clipboard",
         refusal("clipboard", "provider-state=new")},
        {"wrong thread", every_capability(), "ready", stranger, "clipboard",
         refusal("clipboard", "wrong-thread expected=5 actual=7")},
        {"negative thread", every_capability(), "ready", -3, "clipboard",
         refusal("clipboard", "wrong-thread expected=5 actual=-3")},
        {"thread before capability", clipboard_off, "ready", stranger, "clipboard",
         refusal("clipboard", "wrong-thread expected=5 actual=7")},
        {"capability off", clipboard_off, "ready", owner, "clipboard",
         refusal("clipboard", "capability-unavailable-before-effect")},
        {"capability names are case-sensitive", every_capability(), "ready", owner, "Clipboard",
         refusal("Clipboard", "capability-unavailable-before-effect")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        native_ui_host_provider provider(c.caps, owner);
        drive_to(provider, c.state);
        EXPECT_EQ(provider.require_ready(c.thread, c.capability), c.diagnostic == "ok");
        EXPECT_EQ(provider.diagnostic(), c.diagnostic);
    }
}

TEST(provider_capabilities, each_name_answers_its_own_flag_only)
{
    const std::vector<std::string> names = {"accessibility",     "text-input",       "clipboard",
                                            "display-topology",  "session-lifecycle", "virtual-keyboard",
                                            "delayed-clipboard"};
    const std::vector<bool native_ui_host_capabilities::*> flags = {
        &native_ui_host_capabilities::accessibility,     &native_ui_host_capabilities::text_input,
        &native_ui_host_capabilities::clipboard,         &native_ui_host_capabilities::display_topology,
        &native_ui_host_capabilities::session_lifecycle, &native_ui_host_capabilities::virtual_keyboard,
        &native_ui_host_capabilities::delayed_clipboard};
    for (std::size_t on = 0; on < flags.size(); ++on) {
        auto caps = no_capability();
        caps.*flags[on] = true;
        const native_ui_host_provider provider(caps, owner);  // answered in state "new" too
        for (std::size_t asked = 0; asked < names.size(); ++asked) {
            EXPECT_EQ(provider.has_capability(names[asked]), on == asked) << names[on] << " on, asked " << names[asked];
        }
        for (const std::string other : {"", "Clipboard", "text_input", "clipboard ", "window"}) {
            EXPECT_FALSE(provider.has_capability(other)) << other;
        }
    }
}

TEST(provider_guard, a_provider_without_capabilities_still_becomes_ready)
{
    native_ui_host_provider provider(no_capability(), owner);
    EXPECT_FALSE(provider.window_event("w1", "resize", 0, 0, owner));
    EXPECT_TRUE(provider.initialize(true, false, owner, 0, 0));
    EXPECT_EQ(provider.state(), "ready");
    EXPECT_EQ(provider.diagnostic(), "ok");  // only a successful initialize clears it
    EXPECT_EQ(provider.failures(), 1);

    EXPECT_FALSE(provider.clipboard_set("editor", "image/rgba8", "", false, true, owner, 0, 0));
    EXPECT_EQ(provider.diagnostic(), refusal("clipboard", "capability-unavailable-before-effect"));
    EXPECT_TRUE(provider.window_event("w1", "resize", 0, 0, owner));
    EXPECT_EQ(provider.diagnostic(), refusal("clipboard", "capability-unavailable-before-effect"));
    EXPECT_EQ(provider.failures(), 2);
}

// Thread numbers as a host would hand them out: one per real thread.
std::int32_t this_thread_number()
{
    static std::atomic<std::int32_t> next{1};
    thread_local const std::int32_t number = next++;
    return number;
}

TEST(provider_threads, calls_from_a_second_thread_are_refused)
{
    const std::int32_t main_thread = this_thread_number();
    native_ui_host_provider ready(every_capability(), main_thread);
    ASSERT_TRUE(ready.initialize(true, false, main_thread, 0, 0));
    native_ui_host_provider fresh(every_capability(), main_thread);

    std::int32_t second_thread = 0;
    std::vector<std::string> diagnostics;
    std::vector<bool> results;
    std::thread other([&] {
        const std::int32_t me = this_thread_number();
        second_thread = me;
        for (const auto& entry : service_entries()) {
            results.push_back(entry.call(ready, me));
            diagnostics.push_back(ready.diagnostic());
        }
        results.push_back(ready.window_event("w1", "focus", 0, 0, me));
        diagnostics.push_back(ready.diagnostic());
        results.push_back(ready.provider_loss("gone", me, 0, 0));
        diagnostics.push_back(ready.diagnostic());
        results.push_back(ready.teardown(me, 0, 0));
        diagnostics.push_back(ready.diagnostic());
        results.push_back(fresh.initialize(true, false, me, 0, 0));
        diagnostics.push_back(fresh.diagnostic());
    });
    other.join();

    ASSERT_NE(second_thread, main_thread);
    const std::string wrong_thread = "wrong-thread expected=" + std::to_string(main_thread) +
                                     " actual=" + std::to_string(second_thread);
    std::vector<std::string> expected;
    for (const auto& entry : service_entries()) {
        expected.push_back(refusal(entry.capability, wrong_thread));
    }
    expected.insert(expected.end(), {
        refusal("window-event", "invalid-state-thread-or-window"),
        refusal("provider-loss", "invalid-state-or-thread"),
        refusal("teardown", "wrong-thread"),
        refusal("initialize", "invalid-state-or-thread"),
    });
    EXPECT_EQ(diagnostics, expected);
    EXPECT_EQ(results, std::vector<bool>(expected.size(), false));
    EXPECT_EQ(ready.state(), "ready");
    EXPECT_EQ(fresh.state(), "new");
    EXPECT_EQ(ready.events().size(), 1u);
    EXPECT_EQ(ready.failures(), static_cast<std::int64_t>(expected.size()) - 1);  // the last is fresh's
    EXPECT_EQ(ready.clipboard_owner(), "");
    EXPECT_FALSE(ready.composition());
    EXPECT_TRUE(ready.node_ids().empty());
    EXPECT_TRUE(ready.display_ids().empty());
    EXPECT_EQ(ready.session(), "active");

    EXPECT_TRUE(ready.clipboard_set("editor", "image/rgba8", "px", false, true, main_thread, 0, 0));
}

TEST(provider_loss, keeps_the_clipboard_format_and_refuses_every_service)
{
    auto provider = ready_provider();
    ASSERT_TRUE(provider->clipboard_set("editor", "image/rgba8", "px", true, true, owner, 0, 0));
    ASSERT_TRUE(provider->virtual_keyboard(true, true, "shown", owner, 0, 0));
    ASSERT_TRUE(provider->provider_loss("display-server-gone", owner, 0, 0));

    EXPECT_EQ(provider->clipboard_owner(), "");
    EXPECT_EQ(provider->clipboard_data(), "");
    EXPECT_FALSE(provider->clipboard_delayed());
    EXPECT_FALSE(provider->keyboard_visible());
    EXPECT_TRUE(provider->keyboard_requested());
    EXPECT_NE(provider->diagnostic_dump().find("; clipboard-format=image/rgba8; "), std::string::npos);
    EXPECT_FALSE(provider->clipboard_materialize("editor", "px", true, owner, 0, 0));
    EXPECT_EQ(provider->diagnostic(), refusal("clipboard", "provider-state=lost"));
}

// Internal calls go through the table of virtual operations.
class generous_provider : public native_ui_host_provider {
public:
    using native_ui_host_provider::native_ui_host_provider;
    bool reject(const std::string& operation, const std::string& reason) override
    {
        return native_ui_host_provider::reject("relayed-" + operation, reason);
    }
    bool has_capability(const std::string&) const override { return true; }
    // Vouches for every caller as the owner.
    bool require_ready(std::int32_t, const std::string& capability) override
    {
        return native_ui_host_provider::require_ready(owner_thread(), capability);
    }
    std::int32_t find_node(const std::string&) const override { return 99; }
    bool supports_clipboard_format(const std::string&) const override { return true; }
    std::int32_t find_display(const std::string&) const override { return -7; }
    void record_host_event(const std::string& category, const std::string& subject, const std::string& state,
                           const std::string& detail, std::int32_t timestamp, std::int32_t correlation,
                           std::int32_t latency_us) override
    {
        native_ui_host_provider::record_host_event("relayed-" + category, subject, state, detail, timestamp,
                                                   correlation, latency_us);
    }
};

TEST(provider_virtual_operations, overrides_change_the_internal_calls)
{
    generous_provider provider(no_capability(), owner);
    ASSERT_TRUE(provider.initialize(true, false, owner, 0, 0));
    EXPECT_TRUE(ends_with(provider.event_at(0), "category=relayed-provider; subject=host; state=ready; "
                                                "detail=owner-thread-bound"));
    EXPECT_TRUE(provider.clipboard_set("editor", "text/html", "<b>", true, true, owner, 0, 0));
    EXPECT_TRUE(provider.accessibility_batch_begin(stranger, 0, 0));
    // The window-event relay has its own test and no capability guard.
    EXPECT_FALSE(provider.window_event("w1", "focus", 0, 0, stranger));
    EXPECT_EQ(provider.diagnostic(), refusal("relayed-window-event", "invalid-state-thread-or-window"));

    const host_display display = {"d1", 0, 0, 10, 10, 0, 0, 10, 10, 100, true};
    EXPECT_TRUE(provider.display_publish(display, owner));
    EXPECT_TRUE(provider.display_publish(display, owner));
    EXPECT_EQ(provider.display_ids().size(), 2u);
    EXPECT_EQ(provider.native_ui_host_provider::find_display("d1"), 0);

    // A row that does not exist counts as absent: the node is added, not read
    // out of bounds, and the base lookup still finds it.
    EXPECT_TRUE(provider.accessibility_update("n", 1, "button", "OK", owner));
    EXPECT_TRUE(provider.accessibility_update("n", 1, "button", "OK", owner));
    EXPECT_EQ(provider.node_ids().size(), 2u);
    EXPECT_EQ(provider.native_ui_host_provider::find_node("n"), 0);
    EXPECT_FALSE(provider.accessibility_action("n", 1, "press", false, owner, 0, 0));
    EXPECT_EQ(provider.diagnostic(), refusal("relayed-accessibility-action", "stale-or-missing-node-identity"));
}

} // namespace
