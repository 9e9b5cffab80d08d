#pragma once
// Small valid records and items for the store's tests.

#include "retained/store/retained_resource_store.h"

#include <cstdint>
#include <string>
#include <vector>

inline const std::string test_surface = "surface-main";

render_paint test_paint(const std::string& id);
render_clip test_clip(const std::string& id);
render_transform test_transform(const std::string& id);
// A ready image of width x height pixels; its payload is all "ab".
render_image test_image(const std::string& id, std::int32_t generation, std::int32_t width = 1,
                        std::int32_t height = 1);
// A valid 2 x 2 glyph alpha resource named "sha256:" and 64 copies of `digit`.
glyph_alpha_resource test_glyph(char digit);

// A command of an owner that draws nothing and refers to nothing.
render_command test_command(const std::string& owner, std::int32_t sequence, const std::string& kind = "rect");
owner_fragment test_fragment(const std::string& owner, std::int32_t generation, std::vector<render_command> commands);
// A fragment whose commands have the given sequences.
owner_fragment test_fragment(const std::string& owner, std::int32_t generation,
                             const std::vector<std::int32_t>& sequences);
resource_delta test_delta(const std::string& surface = test_surface);

// The outcome's fields as one comparable text: "ok|revision|v|e|p|message".
std::string outcome_text(const operation_outcome& outcome);
