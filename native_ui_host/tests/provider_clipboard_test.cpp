#include "native_ui_host/provider.h"
#include "native_ui_host/tests/provider_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using provider_ref = native_ui_host_provider&;

const std::string plain_text = "text/plain;charset=utf-8";
const std::string rgba = "image/rgba8";
const std::string quon_value = "application/quon-value-v1";

TEST(provider_clipboard, supports_exactly_three_formats)
{
    const native_ui_host_provider provider(no_capability(), owner);  // in any state, any capability
    const std::vector<std::pair<std::string, bool>> cases = {
        {plain_text, true},
        {rgba, true},
        {quon_value, true},
        {"text/plain", false},
        {"TEXT/PLAIN;CHARSET=UTF-8", false},
        {"text/plain; charset=utf-8", false},
        {"image/rgba8 ", false},
        {"", false},
    };
    for (const auto& [format, supported] : cases) {
        EXPECT_EQ(provider.supports_clipboard_format(format), supported) << format;
    }
}

void offer(provider_ref p, const std::string& owner_name, const std::string& format, const std::string& data,
           bool delayed)
{
    EXPECT_TRUE(p.clipboard_set(owner_name, format, data, delayed, true, owner, 0, 0)) << p.diagnostic();
}

void text_offer(provider_ref p)
{
    offer(p, "editor", plain_text, "hello", false);
}

void delayed_offer(provider_ref p)
{
    offer(p, "painter", rgba, "placeholder", true);
}

// True when the read returns `expected`.
std::function<bool(provider_ref)> reads(const std::string& format, const std::string& expected, bool permitted = true)
{
    return [=](provider_ref p) { return p.clipboard_read(format, permitted, owner, 0, 0) == expected; };
}

TEST(provider_clipboard, offers_reads_and_delayed_data)
{
    const std::string bad_set = refusal("clipboard-set", "permission-format-owner-or-delayed-capability");
    const std::string bad_materialize = refusal("clipboard-materialize", "permission-owner-or-not-delayed");
    const std::string bad_read = refusal("clipboard-read", "permission-format-or-delayed-data");
    const std::vector<service_case> cases = {
        {"set", nullptr, [](provider_ref p) { return p.clipboard_set("editor", plain_text, "hello", false, true, owner, 0, 0); },
         true, "ok", "clipboard; subject=editor; state=ownership; detail=format=text/plain;charset=utf-8; delayed=false"},
        {"read of the offered format", text_offer, reads(plain_text, "hello"), true, "ok",
         "clipboard; subject=editor; state=read; detail=text/plain;charset=utf-8",
         [](provider_ref p) {
             EXPECT_EQ(p.clipboard_read(plain_text, true, owner, 0, 0), "hello");
             EXPECT_EQ(p.events().size(), 4u);
         }},
        {"read of another format", text_offer, reads(rgba, ""), true, bad_read, ""},
        {"read without permission", text_offer, reads(plain_text, "", false), true, bad_read, ""},
        {"read of the empty format on a fresh provider", nullptr, reads("", ""), true, "ok",
         "clipboard; subject=; state=read; detail="},
        {"set without permission", nullptr,
         [](provider_ref p) { return p.clipboard_set("editor", plain_text, "hello", false, false, owner, 0, 0); },
         false, bad_set, "", [](provider_ref p) { EXPECT_EQ(p.clipboard_owner(), ""); }},
        {"set without an owner", nullptr,
         [](provider_ref p) { return p.clipboard_set("", plain_text, "hello", false, true, owner, 0, 0); }, false,
         bad_set, ""},
        {"set of an unsupported format", text_offer,
         [](provider_ref p) { return p.clipboard_set("editor", "text/plain", "bye", false, true, owner, 0, 0); },
         false, bad_set, "",
         [](provider_ref p) {
             EXPECT_EQ(p.clipboard_format(), plain_text);
             EXPECT_EQ(p.clipboard_data(), "hello");
         }},
        {"delayed set without the delayed capability", nullptr,
         [](provider_ref p) { return p.clipboard_set("painter", rgba, "", true, true, owner, 0, 0); }, false,
         bad_set, "", nullptr, without(&native_ui_host_capabilities::delayed_clipboard)},
        {"delayed set", nullptr,
         [](provider_ref p) { return p.clipboard_set("painter", rgba, "placeholder", true, true, owner, 0, 0); },
         true, "ok", "clipboard; subject=painter; state=ownership; detail=format=image/rgba8; delayed=true",
         [](provider_ref p) {
             EXPECT_TRUE(p.clipboard_delayed());
             EXPECT_EQ(p.clipboard_data(), "placeholder");
         }},
        {"read before the data is supplied", delayed_offer, reads(rgba, ""), true, bad_read, ""},
        {"materialize by another owner", delayed_offer,
         [](provider_ref p) { return p.clipboard_materialize("editor", "pixels", true, owner, 0, 0); }, false,
         bad_materialize, "", [](provider_ref p) { EXPECT_TRUE(p.clipboard_delayed()); }},
        {"materialize without permission", delayed_offer,
         [](provider_ref p) { return p.clipboard_materialize("painter", "pixels", false, owner, 0, 0); }, false,
         bad_materialize, ""},
        {"materialize of an offer that is not delayed", text_offer,
         [](provider_ref p) { return p.clipboard_materialize("editor", "bye", true, owner, 0, 0); }, false,
         bad_materialize, "", [](provider_ref p) { EXPECT_EQ(p.clipboard_data(), "hello"); }},
        {"materialize, then read", delayed_offer,
         [](provider_ref p) { return p.clipboard_materialize("painter", std::string("px\0\xff", 4), true, owner, 0, 0); },
         true, "ok", "clipboard; subject=painter; state=materialized; detail=image/rgba8",
         [](provider_ref p) {
             EXPECT_FALSE(p.clipboard_delayed());
             EXPECT_EQ(p.clipboard_read(rgba, true, owner, 0, 0), std::string("px\0\xff", 4));
             EXPECT_FALSE(p.clipboard_materialize("painter", "again", true, owner, 0, 0));
         }},
        {"another owner replaces a delayed offer", delayed_offer,
         [](provider_ref p) { return p.clipboard_set("editor", quon_value, "{}", false, true, owner, 0, 0); }, true,
         "ok", "clipboard; subject=editor; state=ownership; detail=format=application/quon-value-v1; delayed=false",
         [](provider_ref p) {
             EXPECT_FALSE(p.clipboard_materialize("painter", "pixels", true, owner, 0, 0));
             EXPECT_EQ(p.diagnostic(), refusal("clipboard-materialize", "permission-owner-or-not-delayed"));
             EXPECT_EQ(p.clipboard_read(quon_value, true, owner, 0, 0), "{}");
         }},
        {"capability off", nullptr, reads("", ""), true, refusal("clipboard", "capability-unavailable-before-effect"),
         "", nullptr, without(&native_ui_host_capabilities::clipboard)},
        {"teardown keeps the offer", text_offer, [](provider_ref p) { return p.teardown(owner, 0, 0); }, true, "ok",
         "provider; subject=host; state=torn-down; detail=queues-quiesced-identities-invalidated",
         [](provider_ref p) {
             EXPECT_EQ(p.clipboard_owner(), "editor");
             EXPECT_EQ(p.clipboard_data(), "hello");
             EXPECT_EQ(p.clipboard_read(plain_text, true, owner, 0, 0), "");
             EXPECT_EQ(p.diagnostic(), refusal("clipboard", "provider-state=torn-down"));
         }},
    };
    run_service_cases(cases);
}

} // namespace
