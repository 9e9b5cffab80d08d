#pragma once
// Canonical signatures of the records that carry pixel payloads: images and glyph
// alpha resources. The texts are those of image_signature and glyph_signature,
// built here with one allocation, and compared with a record without building its
// text at all: a prepared admission builds, compares and rebuilds them for payloads
// of up to 2 MiB of hexadecimal digits each.

#include "retained/records/value_records.h"

#include <string>

std::string image_signature_text(const render_image& image);
std::string glyph_signature_text(const glyph_alpha_resource& glyph);

// True when `signature` is the record's signature text.
bool image_signature_equals(const render_image& image, const std::string& signature);
bool glyph_signature_equals(const glyph_alpha_resource& glyph, const std::string& signature);
