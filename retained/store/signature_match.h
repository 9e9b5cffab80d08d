#pragma once
// Whether an image's or a glyph alpha resource's canonical signature equals a
// given text, decided field by field against the text instead of building the
// signature first: the payload (megabytes of hexadecimal digits) is compared in
// place and no text of its size is made. The answer is always that of comparing
// image_signature or glyph_signature with the text.

#include "retained/records/records.h"

#include <string>

bool image_signature_matches(const render_image& image, const std::string& text);
bool glyph_signature_matches(const glyph_alpha_resource& glyph, const std::string& text);
