#include "native_ui_host/provider.h"
#include "native_ui_host/tests/provider_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using provider_ref = native_ui_host_provider&;

// A begin on `window` with the preedit "ka", selection 0,2, replacement 0,0,
// caret 10,20,1,16, candidate 10,40, purpose "text", hints "none".
bool begin_on(provider_ref p, const std::string& window, std::int32_t caret_x = 10, std::int32_t caret_width = 1)
{
    return p.text_input_begin(window, "ka", 0, 2, 0, 0, caret_x, 20, caret_width, 16, 10, 40, "text", "none", false,
                              true, owner, 0, 0);
}

void composing_on_w1(provider_ref p)
{
    EXPECT_TRUE(begin_on(p, "w1"));
}

void expect_composing(provider_ref p, const std::string& window)
{
    EXPECT_TRUE(p.composition());
    EXPECT_EQ(p.composition_window(), window);
    EXPECT_EQ(p.composition_text(), "ka");
}

void expect_idle(provider_ref p, const std::string& window)
{
    EXPECT_FALSE(p.composition());
    EXPECT_EQ(p.composition_window(), window);
    EXPECT_EQ(p.composition_text(), "");
}

bool has_line_with_state(provider_ref p, const std::string& state)
{
    for (const auto& line : p.events()) {
        if (line.find("; state=" + state + ";") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(provider_text_input, composition_focus_and_keyboard)
{
    const std::string bad_begin = refusal("text-input-begin", "invalid-window-range-or-geometry");
    const std::string bad_commit = refusal("text-input-commit", "inactive-stale-window-or-invalid-range");
    const std::string bad_surrounding = refusal("surrounding-text", "inactive-stale-window-or-invalid-range");
    const std::string bad_transfer = refusal("text-focus-transfer", "invalid-source-or-destination");
    const std::string begin_detail = "detail=selection=0,2; replacement=0,0; caret=10,20,1,16; candidate=10,40; "
                                     "purpose=text; hints=none; dead-key=false; virtual-keyboard=true";
    const std::vector<service_case> cases = {
        {"begin", nullptr, [](provider_ref p) { return begin_on(p, "w1"); }, true, "ok",
         "text-input; subject=w1; state=preedit; " + begin_detail,
         [](provider_ref p) {
             expect_composing(p, "w1");
             EXPECT_TRUE(p.keyboard_requested());
             EXPECT_FALSE(p.keyboard_visible());
             EXPECT_EQ(p.caret_height(), 16);
             EXPECT_EQ(p.candidate_second(), 40);
         }},
        {"begin with free purpose, hints and a dead key", nullptr,
         [](provider_ref p) {
             return p.text_input_begin("w1", "", 5, 1, 9, 0, 0, 0, 0, 0, -1, -2, "url {0}", "no-spellcheck", true,
                                       false, owner, 0, 0);
         },
         true, "ok",
         "text-input; subject=w1; state=preedit; detail=selection=5,1; replacement=9,0; caret=0,0,0,0; candidate=-1,-2; purpose=url {0}; "
         "hints=no-spellcheck; dead-key=true; virtual-keyboard=false",
         [](provider_ref p) {
             EXPECT_EQ(p.purpose(), "url {0}");
             EXPECT_EQ(p.hints(), "no-spellcheck");
         }},
        {"begin with a caret left of the window", nullptr, [](provider_ref p) { return begin_on(p, "w1", -5); },
         true, "ok",
         "text-input; subject=w1; state=preedit; detail=selection=0,2; replacement=0,0; caret=-5,20,1,16; "
         "candidate=10,40; purpose=text; hints=none; dead-key=false; virtual-keyboard=true"},
        {"begin with a negative caret width", nullptr, [](provider_ref p) { return begin_on(p, "w1", 10, -1); },
         false, bad_begin, "", [](provider_ref p) { expect_idle(p, ""); }},
        {"begin with a negative selection", nullptr,
         [](provider_ref p) {
             return p.text_input_begin("w1", "ka", -1, 2, 0, 0, 0, 0, 1, 16, 0, 0, "text", "none", false, false,
                                       owner, 0, 0);
         },
         false, bad_begin, ""},
        {"begin with a negative replacement extent", nullptr,
         [](provider_ref p) {
             return p.text_input_begin("w1", "ka", 0, 2, 0, -4, 0, 0, 1, 16, 0, 0, "text", "none", false, false,
                                       owner, 0, 0);
         },
         false, bad_begin, ""},
        {"begin without a window", nullptr, [](provider_ref p) { return begin_on(p, ""); }, false, bad_begin, "",
         [](provider_ref p) { EXPECT_FALSE(p.keyboard_requested()); }},
        {"a second begin replaces the composition without a cancel line", composing_on_w1,
         [](provider_ref p) { return begin_on(p, "w2"); }, true, "ok", "text-input; subject=w2; state=preedit; " + begin_detail,
         [](provider_ref p) {
             expect_composing(p, "w2");
             EXPECT_FALSE(has_line_with_state(p, "cancel"));
             EXPECT_EQ(p.events().size(), 3u);
         }},
        {"surrounding text", composing_on_w1,
         [](provider_ref p) { return p.surrounding_text("w1", "oka", 1, 3, 0, 2, owner, 0, 0); }, true, "ok",
         "text-input; subject=w1; state=surrounding-update; detail=selection=1,3; delete=0,2",
         [](provider_ref p) {
             EXPECT_EQ(p.surrounding_content(), "oka");
             EXPECT_EQ(p.selection_start(), 1);
             EXPECT_EQ(p.selection_end(), 3);
         }},
        {"surrounding text with a negative deletion", composing_on_w1,
         [](provider_ref p) { return p.surrounding_text("w1", "oka", 1, 3, 0, -2, owner, 0, 0); }, false,
         bad_surrounding, "", [](provider_ref p) { EXPECT_EQ(p.surrounding_content(), ""); }},
        {"surrounding text for another window", composing_on_w1,
         [](provider_ref p) { return p.surrounding_text("w2", "oka", 1, 3, 0, 0, owner, 0, 0); }, false,
         bad_surrounding, ""},
        {"surrounding text after the commit",
         [](provider_ref p) {
             composing_on_w1(p);
             EXPECT_TRUE(p.text_input_commit("w1", "ka", 0, 2, owner, 0, 0));
         },
         [](provider_ref p) { return p.surrounding_text("w1", "ka", 0, 2, 0, 0, owner, 0, 0); }, false,
         bad_surrounding, ""},
        {"commit", composing_on_w1, [](provider_ref p) { return p.text_input_commit("w1", "KA", 3, 1, owner, 0, 0); },
         true, "ok", "text-input; subject=w1; state=commit; detail=text=KA; replacement=3,1",
         [](provider_ref p) {
             expect_idle(p, "w1");
             EXPECT_EQ(p.replacement_start(), 0);
             EXPECT_EQ(p.replacement_extent(), 0);
         }},
        {"commit for another window", composing_on_w1,
         [](provider_ref p) { return p.text_input_commit("w2", "ka", 0, 2, owner, 0, 0); }, false, bad_commit, "",
         [](provider_ref p) { expect_composing(p, "w1"); }},
        {"commit with a negative replacement", composing_on_w1,
         [](provider_ref p) { return p.text_input_commit("w1", "ka", -1, 2, owner, 0, 0); }, false, bad_commit, ""},
        {"commit without a composition", nullptr,
         [](provider_ref p) { return p.text_input_commit("", "ka", 0, 0, owner, 0, 0); }, false, bad_commit, ""},
        {"cancel", composing_on_w1, [](provider_ref p) { return p.text_input_cancel("w1", "escape", owner, 0, 0); },
         true, "ok", "text-input; subject=w1; state=cancel; detail=escape",
         [](provider_ref p) { expect_idle(p, "w1"); }},
        {"cancel without a composition", nullptr,
         [](provider_ref p) { return p.text_input_cancel("", "escape", owner, 0, 0); }, false,
         refusal("text-input-cancel", "inactive-or-stale-window"), ""},
        {"cancel for another window", composing_on_w1,
         [](provider_ref p) { return p.text_input_cancel("w2", "escape", owner, 0, 0); }, false,
         refusal("text-input-cancel", "inactive-or-stale-window"), "",
         [](provider_ref p) { expect_composing(p, "w1"); }},
        {"focus transfer during a composition", composing_on_w1,
         [](provider_ref p) { return p.text_focus_transfer("w1", "w2", owner, 30, 8); }, true, "ok",
         "text-input; subject=w2; state=focus; detail=from=w1",
         [](provider_ref p) {
             expect_idle(p, "w2");
             const auto& lines = p.events();
             ASSERT_EQ(lines.size(), 4u);
             EXPECT_EQ(lines[2], "host-event 3: time=30; correlation=8; category=text-input; subject=w1; "
                                 "state=focus-cancel; detail=composition-cancelled-before-transfer");
             EXPECT_EQ(lines[3].rfind("host-event 4: time=31; correlation=8; ", 0), 0u) << lines[3];
         }},
        // The caller may name the source through the provider's own member.
        {"focus transfer from the focused window as the provider names it", composing_on_w1,
         [](provider_ref p) { return p.text_focus_transfer(p.composition_window(), "w2", owner, 0, 0); }, true, "ok",
         "text-input; subject=w2; state=focus; detail=from=w1",
         [](provider_ref p) {
             expect_idle(p, "w2");
             EXPECT_TRUE(ends_with(p.event_at(2), "subject=w1; state=focus-cancel; "
                                                  "detail=composition-cancelled-before-transfer"));
         }},
        {"focus transfer without a composition from the focused window as the provider names it",
         [](provider_ref p) { EXPECT_TRUE(p.text_focus_transfer("", "w1", owner, 0, 0)); },
         [](provider_ref p) { return p.text_focus_transfer(p.composition_window(), "w2", owner, 0, 0); }, true, "ok",
         "text-input; subject=w2; state=focus; detail=from=w1"},
        {"focus transfer from a window that does not compose", composing_on_w1,
         [](provider_ref p) { return p.text_focus_transfer("w3", "w2", owner, 0, 0); }, false, bad_transfer, "",
         [](provider_ref p) { expect_composing(p, "w1"); }},
        {"focus transfer to an empty destination", nullptr,
         [](provider_ref p) { return p.text_focus_transfer("w1", "", owner, 0, 0); }, false, bad_transfer, "",
         [](provider_ref p) { EXPECT_EQ(p.composition_window(), ""); }},
        {"focus transfer to an empty destination during a composition", composing_on_w1,
         [](provider_ref p) { return p.text_focus_transfer("w1", "", owner, 0, 0); }, false, bad_transfer, "",
         [](provider_ref p) { expect_composing(p, "w1"); }},
        {"focus transfer without a composition takes any source", nullptr,
         [](provider_ref p) { return p.text_focus_transfer("", "w2", owner, 0, 0); }, true, "ok",
         "text-input; subject=w2; state=focus; detail=from=",
         [](provider_ref p) { EXPECT_EQ(p.events().size(), 2u); }},
        {"virtual keyboard without text input", nullptr,
         [](provider_ref p) { return p.virtual_keyboard(true, false, "pending", owner, 0, 0); }, true, "ok",
         "text-input; subject=; state=virtual-keyboard; detail=requested=true; visible=false; state=pending",
         [](provider_ref p) {
             EXPECT_TRUE(p.keyboard_requested());
             EXPECT_FALSE(p.keyboard_visible());
             EXPECT_FALSE(begin_on(p, "w1"));
             EXPECT_EQ(p.diagnostic(), refusal("text-input", "capability-unavailable-before-effect"));
             EXPECT_FALSE(p.text_focus_transfer("", "w1", owner, 0, 0));
         },
         without(&native_ui_host_capabilities::text_input)},
        {"virtual keyboard follows the focused window", composing_on_w1,
         [](provider_ref p) { return p.virtual_keyboard(false, true, "shown", owner, 0, 0); }, true, "ok",
         "text-input; subject=w1; state=virtual-keyboard; detail=requested=false; visible=true; state=shown",
         [](provider_ref p) { expect_composing(p, "w1"); }},
        {"virtual keyboard capability off", nullptr,
         [](provider_ref p) { return p.virtual_keyboard(true, true, "shown", owner, 0, 0); }, false,
         refusal("virtual-keyboard", "capability-unavailable-before-effect"), "",
         [](provider_ref p) {
             EXPECT_FALSE(p.keyboard_visible());
             EXPECT_TRUE(begin_on(p, "w1"));
         },
         without(&native_ui_host_capabilities::virtual_keyboard)},
        {"loss ends the composition but keeps its window and text",
         [](provider_ref p) {
             composing_on_w1(p);
             EXPECT_TRUE(p.virtual_keyboard(true, true, "shown", owner, 0, 0));
         },
         [](provider_ref p) { return p.provider_loss("gone", owner, 0, 0); }, true, "ok",
         "provider; subject=host; state=lost; detail=gone",
         [](provider_ref p) {
             EXPECT_FALSE(p.composition());
             EXPECT_EQ(p.composition_window(), "w1");
             EXPECT_EQ(p.composition_text(), "ka");
             EXPECT_TRUE(p.keyboard_requested());
             EXPECT_FALSE(p.keyboard_visible());
         }},
        {"teardown ends the composition", composing_on_w1, [](provider_ref p) { return p.teardown(owner, 0, 0); },
         true, "ok", "provider; subject=host; state=torn-down; detail=queues-quiesced-identities-invalidated",
         [](provider_ref p) {
             EXPECT_FALSE(p.composition());
             EXPECT_EQ(p.composition_text(), "ka");
         }},
    };
    run_service_cases(cases);
}

} // namespace
