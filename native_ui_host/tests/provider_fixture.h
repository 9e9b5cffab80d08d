#pragma once
// Shared helpers of the provider suites: capability records, driving a
// provider into each life-cycle state, and a runner for tables of service
// cases.

#include "native_ui_host/provider.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::int32_t owner = 5;
inline constexpr std::int32_t stranger = 7;

inline native_ui_host_capabilities every_capability(const std::string& name = "host")
{
    native_ui_host_capabilities caps;
    caps.schema = "quon.native-ui-host-capabilities.v1";
    caps.version = 1;
    caps.provider = name;
    caps.accessibility = true;
    caps.text_input = true;
    caps.clipboard = true;
    caps.display_topology = true;
    caps.session_lifecycle = true;
    caps.virtual_keyboard = true;
    caps.delayed_clipboard = true;
    return caps;
}

inline native_ui_host_capabilities no_capability()
{
    native_ui_host_capabilities caps;
    caps.schema = "quon.native-ui-host-capabilities.v1";
    caps.version = 1;
    caps.provider = "host";
    return caps;
}

inline native_ui_host_capabilities without(bool native_ui_host_capabilities::*flag)
{
    auto caps = every_capability();
    caps.*flag = false;
    return caps;
}

// Brings a fresh provider owned by `owner` into `state` through its public
// operations.
inline void drive_to(native_ui_host_provider& provider, const std::string& state)
{
    if (state == "new") {
        return;
    }
    if (state == "unavailable") {
        provider.initialize(false, false, owner, 0, 0);
    } else if (state == "failed") {
        provider.initialize(true, true, owner, 0, 0);
    } else {
        provider.initialize(true, false, owner, 0, 0);
        if (state == "lost") {
            provider.provider_loss("host-gone", owner, 0, 0);
        } else if (state == "torn-down") {
            provider.teardown(owner, 0, 0);
        }
    }
    ASSERT_EQ(provider.state(), state);
}

inline std::unique_ptr<native_ui_host_provider> ready_provider(const native_ui_host_capabilities& caps = every_capability())
{
    auto provider = std::make_unique<native_ui_host_provider>(caps, owner);
    EXPECT_TRUE(provider->initialize(true, false, owner, 0, 0));
    return provider;
}

inline std::string newest_line(const native_ui_host_provider& provider)
{
    return provider.events().empty() ? std::string() : provider.events().back();
}

inline bool ends_with(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// One case of a service table, run on a fresh "ready" provider: `setup` must
// succeed, then `operation` gives `result`. `diagnostic` is the refusal text,
// or "ok" when nothing may be refused (a refusal also counts one failure).
// `line` is the tail of the newest event line from its category on, or empty
// when the operation writes none. `check` inspects (or drives) what follows.
struct service_case {
    const char* name;
    std::function<void(native_ui_host_provider&)> setup;
    std::function<bool(native_ui_host_provider&)> operation;
    bool result;
    std::string diagnostic;
    std::string line;
    std::function<void(native_ui_host_provider&)> check = nullptr;
    native_ui_host_capabilities caps = every_capability();
};

inline void run_service_cases(const std::vector<service_case>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto provider = ready_provider(c.caps);
        if (c.setup) {
            c.setup(*provider);
        }
        ASSERT_EQ(provider->diagnostic(), "ok") << "setup was refused";
        const auto failures = provider->failures();
        const auto lines = provider->events().size();

        EXPECT_EQ(c.operation(*provider), c.result);
        EXPECT_EQ(provider->diagnostic(), c.diagnostic);
        EXPECT_EQ(provider->failures(), failures + (c.diagnostic == "ok" ? 0 : 1));
        if (c.line.empty()) {
            EXPECT_EQ(provider->events().size(), lines) << newest_line(*provider);
        } else {
            EXPECT_GT(provider->events().size(), lines);
            EXPECT_TRUE(ends_with(newest_line(*provider), "category=" + c.line)) << newest_line(*provider);
        }
        if (c.check) {
            c.check(*provider);
        }
    }
}

inline std::string refusal(const std::string& operation, const std::string& reason)
{
    return "host.ui_services " + operation + " rejected: " + reason;
}

// Starts the 64-bit counters near the top of the 32-bit range; sets the
// lists' spare room.
struct native_ui_host_provider_test_access {
    static void start_counters_at(native_ui_host_provider& provider, std::int64_t value)
    {
        provider.sequence_ = value;
        provider.failures_ = value;
        provider.allocations_ = value;
        provider.topology_ = value;
    }

    // Leaves every list room for `spare` more entries and no more, so that
    // with 0 its next append moves it.
    static void leave_spare_room(native_ui_host_provider& provider, std::size_t spare)
    {
        const auto fit = [spare](auto& list) {
            list.shrink_to_fit();
            list.reserve(list.size() + spare);
        };
        fit(provider.node_ids_);
        fit(provider.node_generations_);
        fit(provider.node_roles_);
        fit(provider.node_names_);
        fit(provider.display_ids_);
        fit(provider.events_);
    }
};
