#pragma once
// The fields of the image and glyph alpha signatures in signature order, handed
// to any sink with text, number and flag operations that return the sink: the
// signature builder, or a reader that compares an existing signature in place.
// One field list serves both, so they cannot drift apart.

#include "retained/records/value_records.h"

template <class Sink>
Sink& image_signature_fields(Sink& sink, const render_image& image)
{
    return sink.text(image.id)
        .text(image.kind)
        .number(image.generation)
        .number(image.width)
        .number(image.height)
        .number(image.sizeBytes)
        .text(image.format)
        .text(image.colorSpace)
        .text(image.alphaMode)
        .text(image.state)
        .flag(image.resident)
        .text(image.content_identity)
        .text(image.payload)
        .text(image.source);
}

template <class Sink>
Sink& glyph_signature_fields(Sink& sink, const glyph_alpha_resource& glyph)
{
    return sink.text(glyph.id)
        .number(glyph.width)
        .number(glyph.height)
        .number(glyph.row_stride)
        .number(glyph.byte_size)
        .text(glyph.format)
        .text(glyph.payload)
        .text(glyph.source);
}
