#include "retained/records/fragment_validation.h"
#include "retained/records/tests/record_samples.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace {

owner_fragment with_kinds(std::initializer_list<const char*> kinds)
{
    owner_fragment fragment = valid_fragment();
    fragment.commands.clear();
    for (const char* kind : kinds) {
        fragment.commands.push_back(command_of("P", kind));
    }
    return fragment;
}

const std::string identity_rule = "retained owner fragment requires bounded identity, positive generation, and source";
const std::string layout_geometry = "fragment P layout bounds exceeds bounded retained geometry";
const std::string ink_geometry = "fragment P ink bounds exceeds bounded retained geometry";
const std::string positive_rule = "fragment P requires positive layout and ink bounds";
const std::string containment_rule = "fragment P ink bounds must contain its layout bounds";
const std::string dependency_rule =
    "fragment P: retained fragment dependency signature requires five nonempty keys and a source";
const std::string count_rule = "fragment P requires 1..4096 commands";
const std::string underflow_rule = "fragment P contains an underflowing local stack";
const std::string balance_rule = "fragment P must balance transform and clip state locally";

std::string foreign_rule(const std::string& owner) { return "fragment P contains foreign command owner " + owner; }

struct fragment_case {
    const char* name;
    std::function<owner_fragment()> make;
    std::string expected;
};

void expect_cases(std::initializer_list<fragment_case> cases)
{
    for (const fragment_case& c : cases) {
        EXPECT_EQ(validate_retained_fragment(c.make()), c.expected) << c.name;
    }
}

TEST(validate_retained_fragment, identity_generation_and_source)
{
    expect_cases({
        {"valid", [] { return valid_fragment(); }, ""},
        {"owner id of 128 bytes",
         [] {
             auto f = valid_fragment();
             f.owner_id.assign(128, 'P');
             f.commands[0].owner = f.owner_id;
             return f;
         },
         ""},
        {"owner id of 129 bytes", [] { auto f = valid_fragment(); f.owner_id.assign(129, 'P'); return f; }, identity_rule},
        {"empty owner id", [] { auto f = valid_fragment(); f.owner_id.clear(); return f; }, identity_rule},
        {"empty source", [] { auto f = valid_fragment(); f.source.clear(); return f; }, identity_rule},
        {"generation 0", [] { auto f = valid_fragment(); f.generation = 0; return f; }, identity_rule},
        {"generation 0 with bad bounds",
         [] {
             auto f = valid_fragment();
             f.generation = 0;
             f.layout.x = 2000000;
             return f;
         },
         identity_rule},
    });
}

TEST(validate_retained_fragment, bounds)
{
    expect_cases({
        {"layout x 1000001", [] { auto f = valid_fragment(); f.layout.x = 1000001; f.ink.x = 5000000; return f; },
         layout_geometry},
        {"negative layout width", [] { auto f = valid_fragment(); f.layout.width = -1; return f; }, layout_geometry},
        {"ink y -1000001", [] { auto f = valid_fragment(); f.ink.y = -1000001; return f; }, ink_geometry},
        {"layout width 0", [] { auto f = valid_fragment(); f.layout.width = 0; return f; }, positive_rule},
        {"ink height 0", [] { auto f = valid_fragment(); f.ink.height = 0; return f; }, positive_rule},
        {"equal rectangles", [] { auto f = valid_fragment(); f.ink = f.layout; return f; }, ""},
        {"ink shifted right", [] { auto f = valid_fragment(); f.ink = {1, 0, 10, 10}; f.layout = {0, 0, 10, 10}; return f; },
         containment_rule},
        {"ink too narrow", [] { auto f = valid_fragment(); f.ink = {0, 0, 9, 10}; f.layout = {0, 0, 10, 10}; return f; },
         containment_rule},
        {"ink too low", [] { auto f = valid_fragment(); f.ink = {0, 0, 10, 9}; f.layout = {0, 0, 10, 10}; return f; },
         containment_rule},
        {"ink below", [] { auto f = valid_fragment(); f.ink = {0, 1, 10, 10}; f.layout = {0, 0, 10, 10}; return f; },
         containment_rule},
        {"ink around", [] { auto f = valid_fragment(); f.ink = {-5, -5, 20, 20}; f.layout = {0, 0, 10, 10}; return f; }, ""},
        {"extreme corners",
         [] {
             auto f = valid_fragment();
             f.ink = {-1000000, -1000000, 1000000, 1000000};
             f.layout = {-1000000, -1000000, 1000000, 1000000};
             return f;
         },
         ""},
        {"edge at 2000000",
         [] {
             auto f = valid_fragment();
             f.ink = {1000000, 1000000, 1000000, 1000000};
             f.layout = {1000000, 1000000, 1000000, 1000000};
             return f;
         },
         ""},
    });
}

TEST(validate_retained_fragment, dependency_signature_and_command_count)
{
    expect_cases({
        {"empty first key", [] { auto f = valid_fragment(); f.dependencies.key_1.clear(); return f; }, dependency_rule},
        {"empty fifth key", [] { auto f = valid_fragment(); f.dependencies.key_5.clear(); return f; }, dependency_rule},
        {"empty dependency source", [] { auto f = valid_fragment(); f.dependencies.source.clear(); return f; },
         dependency_rule},
        {"no commands", [] { auto f = valid_fragment(); f.commands.clear(); return f; }, count_rule},
        {"4096 commands", [] { auto f = valid_fragment(); f.commands.assign(4096, command_of("P", "image")); return f; },
         ""},
        {"4097 commands", [] { auto f = valid_fragment(); f.commands.assign(4097, command_of("P", "image")); return f; },
         count_rule},
    });
}

TEST(validate_retained_fragment, command_owners_belong_to_the_fragment)
{
    for (const char* owner : {"P", "P.", "P.x", "P.x.y"}) {
        owner_fragment fragment = valid_fragment();
        fragment.commands[0].owner = owner;
        EXPECT_EQ(validate_retained_fragment(fragment), "") << owner;
    }
    for (const char* owner : {"Px", "p", "p.x", "", "Q.P", ".P"}) {
        owner_fragment fragment = valid_fragment();
        fragment.commands.insert(fragment.commands.begin(), command_of("P.ok", "image"));
        fragment.commands.push_back(command_of(owner, "image"));
        EXPECT_EQ(validate_retained_fragment(fragment), foreign_rule(owner)) << '"' << owner << '"';
    }
    // Case changed in a longer owner id.
    owner_fragment fragment = valid_fragment();
    fragment.owner_id = "Panel";
    fragment.commands[0].owner = "panel.x";
    EXPECT_EQ(validate_retained_fragment(fragment), "fragment Panel contains foreign command owner panel.x");
}

TEST(validate_retained_fragment, local_stacks_stay_positive_and_balance)
{
    expect_cases({
        {"push, push, pop, pop", [] { return with_kinds({"transformPush", "clipPush", "transformPop", "clipPop"}); },
         ""},
        {"clip popped inside transform", [] { return with_kinds({"clipPush", "transformPush", "clipPop", "transformPop"}); },
         ""},
        {"first clipPop", [] { return with_kinds({"clipPop", "clipPush"}); }, underflow_rule},
        {"transformPop after image", [] { return with_kinds({"image", "transformPop"}); }, underflow_rule},
        {"single transformPush", [] { return with_kinds({"transformPush"}); }, balance_rule},
        {"open clip", [] { return with_kinds({"clipPush", "clipPush", "clipPop"}); }, balance_rule},
        {"other kinds change nothing", [] { return with_kinds({"image", "glyphAlpha", "rect", "ClipPop", ""}); }, ""},
        {"underflow before a foreign owner",
         [] {
             auto f = with_kinds({"image", "clipPop", "image"});
             f.commands[2].owner = "Q";
             return f;
         },
         underflow_rule},
        {"foreign owner before an underflow",
         [] {
             auto f = with_kinds({"image", "image", "clipPop"});
             f.commands[1].owner = "Q";
             return f;
         },
         foreign_rule("Q")},
        {"foreign owner on the popping command",
         [] {
             auto f = with_kinds({"clipPop"});
             f.commands[0].owner = "Q";
             return f;
         },
         foreign_rule("Q")},
    });
}

TEST(validate_retained_fragment, owner_id_with_placeholders_is_quoted_as_written)
{
    owner_fragment fragment = valid_fragment();
    fragment.owner_id = "{1}";
    fragment.commands[0].owner = "{0}";
    EXPECT_EQ(validate_retained_fragment(fragment), "fragment {1} contains foreign command owner {0}");
}

} // namespace
