#pragma once
// Field texts, identity keys and the canonical "-v1" signature texts of the
// retained records.
//
// - A text field is written as its byte length, ":" and the bytes unchanged, so
//   no escaping is needed; a number as its signed decimal; a flag as "true" or
//   "false".
// - A signature carries every field in full (image and glyph payloads
//   included); a fragment's carries the number of its commands, not the commands.

#include "retained/records/value_records.h"

#include <cstdint>
#include <string>

// "<byte length>:<text>".
std::string length_prefixed(const std::string& text);

// "<kind length>:<kind>:<id length>:<id>:<number>", e.g. "4:clip:2:c1:0".
std::string identity_key(const std::string& kind, const std::string& id, std::int32_t number);

std::string clip_signature(const render_clip& clip);
std::string transform_signature(const render_transform& transform);
std::string paint_signature(const render_paint& paint);
std::string glyph_signature(const glyph_alpha_resource& glyph);
std::string image_signature(const render_image& image);
// Ends with the eighteen opaque values, the closing flag and "|end|1|1|1".
std::string command_signature(const render_command& command);
std::string fragment_signature(const owner_fragment& fragment);
