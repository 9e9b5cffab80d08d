#pragma once
// The value records that callers hand to the retained resource store: five kinds
// of drawing resources, the drawing command, the per-owner fragment and the delta
// of resources that an item brings.
//
// - Plain aggregates with public members; no member enforces a rule (validation
//   decides validity).
// - Numbers are signed 32-bit; texts are byte strings compared byte for byte.
// - Records refer to one another only by id text.
// - The five resource kinds have member-wise equality, compared in member order
//   and stopping at the first difference; commands, fragments and deltas are
//   compared through their canonical signatures instead.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A fill style.
struct render_paint {
    std::string id;
    std::int32_t red = 0;    // 0..255
    std::int32_t green = 0;  // 0..255
    std::int32_t blue = 0;   // 0..255
    std::int32_t alpha = 0;  // 0..255
    std::int32_t radius = 0;
    std::int32_t border_width = 0;
    std::int32_t opacity = 0;  // 0..100

    bool operator==(const render_paint&) const = default;
};

// A pixel image in one generation; its identity is the pair (id, generation).
struct render_image {
    std::string id;
    std::string kind;  // "image"
    std::int32_t generation = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t sizeBytes = 0;  // width * height * 4 when "ready", else 0
    std::string format;          // "bgra8-hex"
    std::string colorSpace;
    std::string alphaMode;  // "straight"
    std::string state;      // "ready", "loading", "empty" or "error"
    bool resident = false;
    std::string content_identity;
    std::string payload;  // BGRA8 bytes as hexadecimal digits, two per byte
    std::string source;

    bool operator==(const render_image&) const = default;
};

// An 8-bit alpha mask, named by its content identity ("sha256:" and 64 hex digits).
struct glyph_alpha_resource {
    std::string id;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t row_stride = 0;  // bytes per row
    std::int32_t byte_size = 0;   // width * height
    std::string format;           // "a8-unorm-hex"
    std::string payload;          // A8 bytes as hexadecimal digits, two per byte
    std::string source;

    bool operator==(const glyph_alpha_resource&) const = default;
};

// A rounded clip rectangle.
struct render_clip {
    std::string id;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t radius = 0;

    bool operator==(const render_clip&) const = default;
};

// A 2-D transform; the id "identity" names the built-in transform, which has no record.
struct render_transform {
    std::string id;
    std::int32_t translate_x = 0;
    std::int32_t translate_y = 0;
    std::int32_t scale_x = 0;   // percent
    std::int32_t scale_y = 0;   // percent
    std::int32_t rotation = 0;  // millidegrees

    bool operator==(const render_transform&) const = default;
};

// Four texts a command carries without interpreting them.
struct string_quad {
    std::string first;
    std::string second;
    std::string third;
    std::string fourth;
};

// One drawing command of an owner. The opaque members are only carried and
// written into the command's signature.
struct render_command {
    std::int32_t sequence = 0;
    std::string owner;  // the owner id, or the owner id followed by "." and more
    std::string kind;   // "image", "glyphAlpha", "transformPush", "transformPop", "clipPush", "clipPop", ...
    std::string opaque_a;
    std::string opaque_b;
    std::string resource_id;  // image ("image") or glyph alpha resource ("glyphAlpha") drawn
    std::int32_t image_generation = 0;
    std::string paint_id;      // empty: no paint
    std::string clip_id;       // empty: no clip
    std::string transform_id;  // empty or "identity": no transform
    std::array<std::int32_t, 4> opaque_numbers{};
    std::string opaque_c;
    std::string opaque_d;
    string_quad quad;
    std::array<std::int32_t, 18> opaque_values{};
    bool closing = false;  // on "glyphAlpha": the glyph is not looked up
};

// A rectangle: x, y, width, height.
struct retained_bounds {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Five dependency keys and a source; all six are treated alike.
struct dependency_signature {
    std::string key_1;
    std::string key_2;
    std::string key_3;
    std::string key_4;
    std::string key_5;
    std::string source;
};

// The complete command list of one owner in one generation.
struct owner_fragment {
    std::string owner_id;
    std::int32_t generation = 0;
    std::int32_t opaque_number = 0;  // carried into the signature, never checked
    retained_bounds layout;
    retained_bounds ink;  // must contain the layout bounds
    dependency_signature dependencies;
    std::vector<render_command> commands;  // in drawing order
    std::string source;
};

// The resources one item brings, each list in the caller's order.
struct resource_delta {
    std::string surface;
    std::vector<render_paint> paints;
    std::vector<render_image> images;
    std::vector<glyph_alpha_resource> glyphs;
    std::vector<render_clip> clips;
    std::vector<render_transform> transforms;

    // Sum of the five list sizes, wrapping at 32 bits.
    std::uint32_t entry_count() const;
};

bool paint_record_equal(const render_paint& a, const render_paint& b);
bool image_record_equal(const render_image& a, const render_image& b);
bool glyph_record_equal(const glyph_alpha_resource& a, const glyph_alpha_resource& b);
bool clip_record_equal(const render_clip& a, const render_clip& b);
bool transform_record_equal(const render_transform& a, const render_transform& b);
