#include "retained/records/value_records.h"

std::uint32_t resource_delta::entry_count() const
{
    return static_cast<std::uint32_t>(paints.size()) + static_cast<std::uint32_t>(images.size()) +
           static_cast<std::uint32_t>(glyphs.size()) + static_cast<std::uint32_t>(clips.size()) +
           static_cast<std::uint32_t>(transforms.size());
}

bool paint_record_equal(const render_paint& a, const render_paint& b) { return a == b; }

bool image_record_equal(const render_image& a, const render_image& b) { return a == b; }

bool glyph_record_equal(const glyph_alpha_resource& a, const glyph_alpha_resource& b) { return a == b; }

bool clip_record_equal(const render_clip& a, const render_clip& b) { return a == b; }

bool transform_record_equal(const render_transform& a, const render_transform& b) { return a == b; }
