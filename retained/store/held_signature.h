#pragma once
// held_signature: a canonical signature as a prepared admission keeps it.
//
// Paint, clip and transform signatures are held whole. An image's or glyph alpha
// resource's signature is held as its text less the bytes of the payload (its
// length and framing stay in the text), with the payload beside it, moved out
// of the record the signature was taken of: megabytes of hexadecimal digits are
// then neither copied into a signature nor built again to compare one. The pair
// stands for exactly the whole text, so a match below is always the answer of
// comparing the record's signature with that text.

#include "retained/records/records.h"

#include <string>

struct held_signature {
    std::string text;     // the signature; for images and glyphs without the payload's bytes
    std::string payload;  // images and glyphs: those bytes
};

// The record's signature; an image or glyph gives up its payload to it.
held_signature hold_signature(render_paint&& paint);
held_signature hold_signature(render_image&& image);
held_signature hold_signature(glyph_alpha_resource&& glyph);
held_signature hold_signature(render_clip&& clip);
held_signature hold_signature(render_transform&& transform);

// Whether the record's signature is the held one.
bool held_signature_matches(const render_paint& paint, const held_signature& held);
bool held_signature_matches(const render_image& image, const held_signature& held);
bool held_signature_matches(const glyph_alpha_resource& glyph, const held_signature& held);
bool held_signature_matches(const render_clip& clip, const held_signature& held);
bool held_signature_matches(const render_transform& transform, const held_signature& held);
