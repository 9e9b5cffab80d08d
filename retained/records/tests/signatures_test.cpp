#include "retained/records/signatures.h"
#include "retained/records/tests/record_samples.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

render_command sample_command()
{
    render_command command;
    command.sequence = -1;
    command.owner = "P";
    command.kind = "image";
    command.opaque_a = "a";
    command.resource_id = "logo";
    command.image_generation = 3;
    command.clip_id = "c1";
    command.transform_id = "identity";
    command.opaque_numbers = {1, 2, 3, 4};
    command.opaque_d = "d";
    command.quad = {"q1", "", "q3", "q4"};
    for (int i = 0; i < 18; ++i) {
        command.opaque_values[static_cast<std::size_t>(i)] = i - 9;
    }
    command.closing = true;
    return command;
}

owner_fragment sample_fragment()
{
    owner_fragment fragment = valid_fragment();
    fragment.generation = 2;
    fragment.opaque_number = 5;
    fragment.commands.assign(3, sample_command());
    fragment.source = "s";
    return fragment;
}

TEST(length_prefixed, writes_the_byte_length_and_the_text_unchanged)
{
    EXPECT_EQ(length_prefixed(""), "0:");
    EXPECT_EQ(length_prefixed("c1"), "2:c1");
    EXPECT_EQ(length_prefixed("a|b:c{0}"), "8:a|b:c{0}");
    EXPECT_EQ(length_prefixed("\xc3\xa9t\xc3\xa9"), "5:\xc3\xa9t\xc3\xa9");  // "été": 3 characters, 5 bytes
}

TEST(identity_key, names_kind_id_and_number)
{
    EXPECT_EQ(identity_key("clip", "c1", 0), "4:clip:2:c1:0");
    EXPECT_EQ(identity_key("image-generation", "logo", 3), "16:image-generation:4:logo:3");
    EXPECT_EQ(identity_key("command-sequence", "", 7), "16:command-sequence:0::7");
    EXPECT_EQ(identity_key("command-sequence", "", -2147483647 - 1), "16:command-sequence:0::-2147483648");
    EXPECT_EQ(identity_key("binding", "a:b{1}", 0), "7:binding:6:a:b{1}:0");
}

TEST(resource_signatures, write_every_field_in_order)
{
    EXPECT_EQ(clip_signature({"c1", 10, -20, 300, 40, 4}), "clip-v1|2:c1|10|-20|300|40|4");
    EXPECT_EQ(transform_signature({"t", -5, 6, 100, 200, -360000}), "transform-v1|1:t|-5|6|100|200|-360000");
    EXPECT_EQ(paint_signature({"p1", 1, 2, 3, 4, 5, 6, 7}), "paint-v1|2:p1|1|2|3|4|5|6|7");
    EXPECT_EQ(glyph_signature({"sha256:ab", 2, 1, 2, 2, "a8-unorm-hex", "00ff", "font"}),
              "glyph-v1|9:sha256:ab|2|1|2|2|12:a8-unorm-hex|4:00ff|4:font");
    EXPECT_EQ(image_signature(ready_image()),
              "image-v1|4:logo|5:image|1|1|1|4|9:bgra8-hex|4:srgb|8:straight|5:ready|true|11:sha256:logo|8:09afAF3c|4:disk");
}

TEST(resource_signatures, carry_separators_and_placeholders_in_texts_unchanged)
{
    EXPECT_EQ(clip_signature({"{0}|x:", 1, 2, 3, 4, 5}), "clip-v1|6:{0}|x:|1|2|3|4|5");
    EXPECT_EQ(clip_signature({"", 0, 0, 0, 0, 0}), "clip-v1|0:|0|0|0|0|0");
    // A multi-byte character counts its bytes.
    EXPECT_EQ(clip_signature({"\xc3\xa9t\xc3\xa9", 0, 0, 0, 0, 0}), "clip-v1|5:\xc3\xa9t\xc3\xa9|0|0|0|0|0");

    render_image image = ready_image();
    image.resident = false;
    image.source = "{1}{13}";
    EXPECT_EQ(image_signature(image),
              "image-v1|4:logo|5:image|1|1|1|4|9:bgra8-hex|4:srgb|8:straight|5:ready|false|11:sha256:logo|8:09afAF3c|7:{1}{13}");
}

TEST(command_signature, wraps_the_inner_text_with_the_values_flag_and_end)
{
    EXPECT_EQ(command_signature(sample_command()),
              "command-v1|-1|1:P|5:image|1:a|0:|4:logo|3|0:|2:c1|8:identity|1|2|3|4|0:|1:d|2:q1|0:|2:q3|2:q4"
              "|-9|-8|-7|-6|-5|-4|-3|-2|-1|0|1|2|3|4|5|6|7|8|true|end|1|1|1");

    const render_command empty;
    EXPECT_EQ(command_signature(empty),
              "command-v1|0|0:|0:|0:|0:|0:|0|0:|0:|0:|0|0|0|0|0:|0:|0:|0:|0:|0:"
              "|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|false|end|1|1|1");
}

TEST(command_signature, changes_with_every_field)
{
    std::vector<std::function<void(render_command&)>> changes = {
        [](render_command& c) { c.sequence = 0; },
        [](render_command& c) { c.owner = "P.x"; },
        [](render_command& c) { c.kind = "glyphAlpha"; },
        [](render_command& c) { c.opaque_a = "b"; },
        [](render_command& c) { c.opaque_b = "b"; },
        [](render_command& c) { c.resource_id = "Logo"; },
        [](render_command& c) { c.image_generation = 4; },
        [](render_command& c) { c.paint_id = "p"; },
        [](render_command& c) { c.clip_id = ""; },
        [](render_command& c) { c.transform_id = ""; },
        [](render_command& c) { c.opaque_c = "c"; },
        [](render_command& c) { c.opaque_d = ""; },
        [](render_command& c) { c.quad.first = ""; },
        [](render_command& c) { c.quad.second = "q2"; },
        [](render_command& c) { c.quad.third = ""; },
        [](render_command& c) { c.quad.fourth = ""; },
        [](render_command& c) { c.closing = false; },
    };
    for (std::size_t i = 0; i < 4; ++i) {
        changes.push_back([i](render_command& c) { c.opaque_numbers[i] += 1; });
    }
    for (std::size_t i = 0; i < 18; ++i) {
        changes.push_back([i](render_command& c) { c.opaque_values[i] += 100; });
    }
    const std::string base = command_signature(sample_command());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        render_command changed = sample_command();
        changes[i](changed);
        EXPECT_NE(command_signature(changed), base) << "change " << i;
    }
}

TEST(fragment_signature, counts_commands_instead_of_writing_them)
{
    const owner_fragment fragment = sample_fragment();
    EXPECT_EQ(fragment_signature(fragment),
              "fragment-v1|1:P|2|5|0|0|10|10|-5|-5|20|20|2:k1|2:k2|2:k3|2:k4|2:k5|3:src|1:s|3");

    owner_fragment other = fragment;
    other.commands[1].opaque_values[17] = 1234;
    EXPECT_EQ(fragment_signature(other), fragment_signature(fragment));
    EXPECT_NE(command_signature(other.commands[1]), command_signature(fragment.commands[1]));
}

TEST(fragment_signature, changes_with_every_field)
{
    const std::vector<std::function<void(owner_fragment&)>> changes = {
        [](owner_fragment& f) { f.owner_id = "Q"; },
        [](owner_fragment& f) { f.generation = 3; },
        [](owner_fragment& f) { f.opaque_number = -5; },
        [](owner_fragment& f) { f.layout.x = 1; },
        [](owner_fragment& f) { f.layout.y = 1; },
        [](owner_fragment& f) { f.layout.width = 1; },
        [](owner_fragment& f) { f.layout.height = 1; },
        [](owner_fragment& f) { f.ink.x = 1; },
        [](owner_fragment& f) { f.ink.y = 1; },
        [](owner_fragment& f) { f.ink.width = 1; },
        [](owner_fragment& f) { f.ink.height = 1; },
        [](owner_fragment& f) { f.dependencies.key_1 = "x"; },
        [](owner_fragment& f) { f.dependencies.key_2 = "x"; },
        [](owner_fragment& f) { f.dependencies.key_3 = "x"; },
        [](owner_fragment& f) { f.dependencies.key_4 = "x"; },
        [](owner_fragment& f) { f.dependencies.key_5 = "x"; },
        [](owner_fragment& f) { f.dependencies.source = "x"; },
        [](owner_fragment& f) { f.source = "x"; },
        [](owner_fragment& f) { f.commands.pop_back(); },
    };
    const std::string base = fragment_signature(sample_fragment());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        owner_fragment changed = sample_fragment();
        changes[i](changed);
        EXPECT_NE(fragment_signature(changed), base) << "change " << i;
    }
}

} // namespace
