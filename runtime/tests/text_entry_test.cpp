#include "runtime/text_entry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct entry_case {
    const char* what;
    std::function<void(text_entry&)> edit;
    std::string text;
    bool enabled;
    bool replace_on_next_edit;
};

TEST(text_entry, editing_sequences)
{
    const std::string big(5000, 'b');
    const std::string base(4090, 'a');
    const std::vector<entry_case> cases = {
        {"construction", [](text_entry&) {}, "", false, false},
        {"set selects the content", [](text_entry& e) { e.set("abc"); }, "abc", true, true},
        {"first append replaces", [](text_entry& e) { e.set("abc"); e.append("x"); }, "x", true, false},
        {"later appends append", [](text_entry& e) { e.set("abc"); e.append("x"); e.append("y"); }, "xy", true, false},
        {"first backspace empties", [](text_entry& e) { e.set("abc"); e.backspace(); }, "", true, false},
        {"backspace on empty", [](text_entry& e) { e.set("abc"); e.backspace(); e.backspace(); }, "", true, false},
        {"backspace removes one byte", [](text_entry& e) { e.set("x"); e.append("ab"); e.backspace(); }, "a", true, false},
        {"two-byte code point", [](text_entry& e) { e.set("x"); e.append("a\xC3\xA9"); e.backspace(); }, "a", true, false},
        {"three-byte code point", [](text_entry& e) { e.set("x"); e.append("a\xE2\x82\xAC"); e.backspace(); }, "a", true, false},
        {"four-byte code point alone", [](text_entry& e) { e.set("x"); e.append("\xF0\x9F\x98\x80"); e.backspace(); }, "", true, false},
        {"only continuation bytes after the first", [](text_entry& e) { e.set("x"); e.append("a\x80\x80"); e.backspace(); }, "", true, false},
        {"stray continuation bytes alone", [](text_entry& e) { e.set("x"); e.append("\x80\x80"); e.backspace(); }, "", true, false},
        {"append up to 4096 bytes", [&](text_entry& e) { e.set(""); e.append(base); e.append("123456"); }, base + "123456", true, false},
        {"append past 4096 bytes dropped", [&](text_entry& e) { e.set(""); e.append(base); e.append("1234567"); }, base, true, false},
        {"set takes any length", [&](text_entry& e) { e.set(big); }, big, true, true},
        {"append after a long set replaces", [&](text_entry& e) { e.set(big); e.append("x"); }, "x", true, false},
        {"oversized first append still empties", [&](text_entry& e) { e.set("abc"); e.append(big); }, "", true, false},
        {"empty append keeps the pending replacement", [](text_entry& e) { e.set("abc"); e.append(""); }, "abc", true, true},
        {"append before any set is ignored", [](text_entry& e) { e.append("x"); }, "", false, false},
        {"revert returns to the set value", [](text_entry& e) { e.set("abc"); e.append("x"); e.revert(); }, "abc", false, false},
        {"revert keeps the replace flag", [](text_entry& e) { e.set("abc"); e.revert(); }, "abc", false, true},
        {"append after revert ignored", [](text_entry& e) { e.set("abc"); e.append("x"); e.revert(); e.append("y"); }, "abc", false, false},
        {"backspace after revert deletes", [](text_entry& e) { e.set("abc"); e.append("x"); e.revert(); e.backspace(); }, "ab", false, false},
        {"backspace after revert with pending replacement", [](text_entry& e) { e.set("abc"); e.revert(); e.backspace(); }, "", false, false},
        {"set after revert enables again", [](text_entry& e) { e.set("abc"); e.revert(); e.set("d"); e.append("e"); }, "e", true, false},
        {"value appended unchanged", [](text_entry& e) { e.set(""); e.append("a\nb\x01\xFF"); }, "a\nb\x01\xFF", true, false},
        {"appending its own content", [](text_entry& e) { e.set("ab"); e.append("c"); e.append(e.text); }, "cc", true, false},
        {"own content as the first edit", [](text_entry& e) { e.set("ab"); e.append(e.text); }, "ab", true, false},
    };
    for (const auto& c : cases) {
        text_entry e;
        c.edit(e);
        EXPECT_EQ(e.text, c.text) << c.what;
        EXPECT_EQ(e.enabled, c.enabled) << c.what;
        EXPECT_EQ(e.replace_on_next_edit, c.replace_on_next_edit) << c.what;
    }
}

TEST(text_entry, revert_goes_to_the_last_set_value)
{
    text_entry e;
    e.set("first");
    e.set("second");
    e.append("x");
    e.revert();
    EXPECT_EQ(e.initial, "second");
    EXPECT_EQ(e.text, "second");
}

} // namespace
