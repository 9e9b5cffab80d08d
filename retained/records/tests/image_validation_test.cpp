#include "retained/records/image_validation.h"
#include "retained/records/tests/record_samples.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

render_image placeholder_image(const std::string& state)
{
    render_image image = ready_image(2, 1);
    image.state = state;
    image.resident = false;
    image.sizeBytes = 0;
    image.width = 0;
    image.height = 0;
    image.payload.clear();
    return image;
}

std::string rule_message(int rule)
{
    switch (rule) {
    case 0: return "";
    case 1: return "render image requires id/content identity of at most 64 bytes and a source";
    case 2: return "render image logo requires kind=image, received Image";
    case 3: return "render image logo requires a positive generation";
    case 4: return "render image logo format {1} is unsupported; admitted format is bgra8-hex";
    case 5: return "render image logo colorSpace sRGB is unsupported; admitted named SDR spaces are srgb, linear-srgb, "
                   "display-p3, and rec2020";
    case 6: return "render image logo requires alphaMode=straight";
    case 7: return "render image logo has unsupported state Ready";
    case 8: return "render image logo placeholder state requires nonresident empty payload metadata";
    case 9: return "render image logo ready state requires resident pixels";
    case 10: return "render image logo dimensions must be within 1..512";
    case 11: return "render image logo byte size must equal width*height*4 within 1048576 bytes";
    case 12: return "render image logo BGRA8 hex payload length must equal sizeBytes*2";
    case 13: return "render image logo BGRA8 payload contains a non-hexadecimal byte";
    }
    return "no such rule";
}

struct image_case {
    const char* name;
    std::function<render_image()> make;
    int rule;  // 0: valid
};

TEST(validate_render_image, applies_the_first_failing_rule)
{
    const image_case cases[] = {
        {"valid ready", [] { return ready_image(2, 1); }, 0},
        {"id of 64 bytes", [] { auto i = ready_image(); i.id.assign(64, 'i'); return i; }, 0},
        {"id of 65 bytes", [] { auto i = ready_image(); i.id.assign(65, 'i'); return i; }, 1},
        {"empty id", [] { auto i = ready_image(); i.id.clear(); return i; }, 1},
        {"content identity of 64 bytes", [] { auto i = ready_image(); i.content_identity.assign(64, 'c'); return i; }, 0},
        {"content identity of 65 bytes", [] { auto i = ready_image(); i.content_identity.assign(65, 'c'); return i; }, 1},
        {"empty content identity", [] { auto i = ready_image(); i.content_identity.clear(); return i; }, 1},
        {"empty source", [] { auto i = ready_image(); i.source.clear(); return i; }, 1},
        {"kind Image", [] { auto i = ready_image(); i.kind = "Image"; return i; }, 2},
        {"generation 0", [] { auto i = ready_image(); i.generation = 0; return i; }, 3},
        {"generation 0, everything after wrong too",
         [] {
             auto i = ready_image();
             i.generation = 0;
             i.format = "x";
             i.colorSpace = "x";
             i.alphaMode = "x";
             i.state = "x";
             i.width = -4;
             i.payload = "zz";
             return i;
         },
         3},
        {"negative generation", [] { auto i = ready_image(); i.generation = -2147483647 - 1; return i; }, 3},
        {"format", [] { auto i = ready_image(); i.format = "{1}"; return i; }, 4},
        {"colour space", [] { auto i = ready_image(); i.colorSpace = "sRGB"; return i; }, 5},
        {"alpha mode", [] { auto i = ready_image(); i.alphaMode = "premultiplied"; return i; }, 6},
        {"state", [] { auto i = ready_image(); i.state = "Ready"; return i; }, 7},
        {"not resident", [] { auto i = ready_image(); i.resident = false; return i; }, 9},
        {"512 x 512", [] { return ready_image(512, 512); }, 0},
        {"513 x 1", [] { auto i = ready_image(); i.width = 513; i.height = 1; return i; }, 10},
        {"0 x 5", [] { auto i = ready_image(); i.width = 0; i.height = 5; return i; }, 10},
        {"1 x 513", [] { auto i = ready_image(); i.width = 1; i.height = 513; return i; }, 10},
        {"huge dimensions", [] { auto i = ready_image(); i.width = 65536; i.height = 65536; return i; }, 10},
        {"byte size", [] { auto i = ready_image(); i.sizeBytes = 9; return i; }, 11},
        {"byte size and payload", [] { auto i = ready_image(); i.sizeBytes = 9; i.payload += "00"; return i; }, 11},
        {"payload too short", [] { auto i = ready_image(); i.payload.pop_back(); return i; }, 12},
        {"payload too long", [] { auto i = ready_image(); i.payload += "00"; return i; }, 12},
        {"payload with g",
         [] {
             auto i = ready_image(1, 1);
             i.payload = "00000g00";
             return i;
         },
         13},
        {"payload with zero byte",
         [] {
             auto i = ready_image(1, 1);
             i.payload[7] = '\0';
             return i;
         },
         13},
    };
    for (const image_case& c : cases) {
        EXPECT_EQ(validate_render_image(c.make()), rule_message(c.rule)) << c.name;
    }
}

TEST(validate_render_image, placeholder_states_hold_no_pixels)
{
    const image_case cases[] = {
        {"loading 0 x 0", [] { return placeholder_image("loading"); }, 0},
        {"empty 0 x 0", [] { return placeholder_image("empty"); }, 0},
        {"error 0 x 0", [] { return placeholder_image("error"); }, 0},
        {"loading 7 x 3", [] { auto i = placeholder_image("loading"); i.width = 7; i.height = 3; return i; }, 0},
        {"loading 100000 wide", [] { auto i = placeholder_image("loading"); i.width = 100000; return i; }, 0},
        {"width -1", [] { auto i = placeholder_image("loading"); i.width = -1; return i; }, 8},
        {"height -1", [] { auto i = placeholder_image("empty"); i.height = -1; return i; }, 8},
        {"one-digit payload", [] { auto i = placeholder_image("loading"); i.payload = "0"; return i; }, 8},
        {"resident", [] { auto i = placeholder_image("error"); i.resident = true; return i; }, 8},
        {"byte size", [] { auto i = placeholder_image("loading"); i.sizeBytes = 4; return i; }, 8},
    };
    for (const image_case& c : cases) {
        EXPECT_EQ(validate_render_image(c.make()), rule_message(c.rule)) << c.name;
    }
}

TEST(validate_render_image, quotes_the_id_and_field_as_written)
{
    render_image image = ready_image();
    image.id = "{1}";
    image.kind = "{0}";
    EXPECT_EQ(validate_render_image(image), "render image {1} requires kind=image, received {0}");
}

TEST(validate_bounded_geometry, admits_the_bounded_range)
{
    struct bounds_case {
        retained_bounds bounds;
        bool valid;
    };
    const bounds_case cases[] = {
        {{-1000000, 1000000, 0, 1000000}, true},
        {{1000000, -1000000, 1000000, 0}, true},
        {{1000001, 0, 1, 1}, false},
        {{0, -1000001, 1, 1}, false},
        {{-1000001, 0, 1, 1}, false},
        {{0, 1000001, 1, 1}, false},
        {{0, 0, -1, 1}, false},
        {{0, 0, 1, -1}, false},
        {{0, 0, 1000001, 1}, false},
        {{0, 0, 1, 1000001}, false},
        {{-2147483647 - 1, 0, 1, 1}, false},
        {{0, 0, -2147483647 - 1, 1}, false},
    };
    for (const bounds_case& c : cases) {
        const std::string result = validate_bounded_geometry(c.bounds, "box");
        EXPECT_EQ(result, c.valid ? "" : "box exceeds bounded retained geometry")
            << c.bounds.x << ", " << c.bounds.y << ", " << c.bounds.width << ", " << c.bounds.height;
    }
    EXPECT_EQ(validate_bounded_geometry({2000000, 0, 1, 1}, "fragment {0} layout bounds"),
              "fragment {0} layout bounds exceeds bounded retained geometry");
}

} // namespace
