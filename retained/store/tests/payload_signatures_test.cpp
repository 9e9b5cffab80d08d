// The store's own builders and comparers of image and glyph signatures must agree
// with the canonical signatures byte for byte.

#include "retained/store/payload_signatures.h"
#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(payload_signatures, images_agree_with_the_canonical_text)
{
    const render_image base = test_image("logo", 3, 2, 1);
    const std::vector<std::function<void(render_image&)>> changes = {
        [](render_image&) {},
        [](render_image& i) { i.id = "l\xc3\xb6go|{0}"; },
        [](render_image& i) { i.kind = "Image"; },
        [](render_image& i) { i.generation = -7; },
        [](render_image& i) { i.width = 0; },
        [](render_image& i) { i.height = 2147483647; },
        [](render_image& i) { i.sizeBytes = -2147483647 - 1; },
        [](render_image& i) { i.format = ""; },
        [](render_image& i) { i.colorSpace = "rec2020"; },
        [](render_image& i) { i.alphaMode = "x"; },
        [](render_image& i) { i.state = "loading"; },
        [](render_image& i) { i.resident = false; },
        [](render_image& i) { i.content_identity = "c:1"; },
        [](render_image& i) { i.payload.back() = 'b'; },
        [](render_image& i) { i.source = "other"; },
    };
    const std::string base_text = image_signature(base);
    for (std::size_t c = 0; c < changes.size(); ++c) {
        render_image image = base;
        changes[c](image);
        const std::string text = image_signature(image);
        EXPECT_EQ(image_signature_text(image), text) << "change " << c;
        EXPECT_TRUE(image_signature_equals(image, text)) << "change " << c;
        EXPECT_EQ(image_signature_equals(image, base_text), c == 0) << "change " << c;
    }
    EXPECT_FALSE(image_signature_equals(base, base_text + "|"));
    EXPECT_FALSE(image_signature_equals(base, base_text.substr(0, base_text.size() - 1)));
    EXPECT_FALSE(image_signature_equals(base, ""));
}

TEST(payload_signatures, glyphs_agree_with_the_canonical_text)
{
    const glyph_alpha_resource base = test_glyph('a');
    const std::vector<std::function<void(glyph_alpha_resource&)>> changes = {
        [](glyph_alpha_resource&) {},
        [](glyph_alpha_resource& g) { g.id = ""; },
        [](glyph_alpha_resource& g) { g.width = -1; },
        [](glyph_alpha_resource& g) { g.height = 3; },
        [](glyph_alpha_resource& g) { g.row_stride = 9; },
        [](glyph_alpha_resource& g) { g.byte_size = 10; },
        [](glyph_alpha_resource& g) { g.format = "a8"; },
        [](glyph_alpha_resource& g) { g.payload = "00ff00fe"; },
        [](glyph_alpha_resource& g) { g.source = "s|1"; },
    };
    const std::string base_text = glyph_signature(base);
    for (std::size_t c = 0; c < changes.size(); ++c) {
        glyph_alpha_resource glyph = base;
        changes[c](glyph);
        const std::string text = glyph_signature(glyph);
        EXPECT_EQ(glyph_signature_text(glyph), text) << "change " << c;
        EXPECT_TRUE(glyph_signature_equals(glyph, text)) << "change " << c;
        EXPECT_EQ(glyph_signature_equals(glyph, base_text), c == 0) << "change " << c;
    }
}

}  // namespace
