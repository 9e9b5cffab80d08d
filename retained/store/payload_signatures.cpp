#include "retained/store/payload_signatures.h"

#include <charconv>
#include <cstdint>
#include <string_view>

namespace {

// Every field after the kind's name is written behind a "|": texts as byte
// length, ":" and the bytes, numbers in signed decimal, flags as true or false.
// A sink receives the pieces of the text in order.
template <typename Sink> class field_writer {
public:
    explicit field_writer(Sink& sink) : sink_(sink) {}

    field_writer& head(std::string_view name)
    {
        sink_.put(name);
        return *this;
    }
    field_writer& text(const std::string& value)
    {
        number(static_cast<std::int32_t>(value.size()));
        sink_.put(":");
        sink_.put(value);
        return *this;
    }
    field_writer& number(std::int32_t value)
    {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        sink_.put("|");
        sink_.put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
        return *this;
    }
    field_writer& flag(bool value)
    {
        sink_.put("|");
        sink_.put(value ? "true" : "false");
        return *this;
    }

private:
    Sink& sink_;
};

template <typename Sink> void image_fields(const render_image& image, Sink& sink)
{
    field_writer<Sink>(sink)
        .head("image-v1")
        .text(image.id)
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

template <typename Sink> void glyph_fields(const glyph_alpha_resource& glyph, Sink& sink)
{
    field_writer<Sink>(sink)
        .head("glyph-v1")
        .text(glyph.id)
        .number(glyph.width)
        .number(glyph.height)
        .number(glyph.row_stride)
        .number(glyph.byte_size)
        .text(glyph.format)
        .text(glyph.payload)
        .text(glyph.source);
}

struct size_sink {
    std::size_t size = 0;
    void put(std::string_view piece) { size += piece.size(); }
};

struct append_sink {
    std::string& text;
    void put(std::string_view piece) { text.append(piece); }
};

// Walks the expected text piece by piece; stops comparing at the first difference.
struct match_sink {
    std::string_view expected;
    std::size_t position = 0;
    bool same = true;

    void put(std::string_view piece)
    {
        if (!same) {
            return;
        }
        same = expected.substr(position, piece.size()) == piece;
        position += piece.size();
    }
    bool matched() const { return same && position == expected.size(); }
};

template <typename Record, typename Fields> std::string signature_text(const Record& record, Fields fields)
{
    size_sink size;
    fields(record, size);
    std::string text;
    text.reserve(size.size);
    append_sink append{text};
    fields(record, append);
    return text;
}

template <typename Record, typename Fields>
bool signature_equals(const Record& record, const std::string& signature, Fields fields)
{
    match_sink match{signature};
    fields(record, match);
    return match.matched();
}

}  // namespace

std::string image_signature_text(const render_image& image)
{
    return signature_text(image, [](const render_image& r, auto& sink) { image_fields(r, sink); });
}

std::string glyph_signature_text(const glyph_alpha_resource& glyph)
{
    return signature_text(glyph, [](const glyph_alpha_resource& r, auto& sink) { glyph_fields(r, sink); });
}

bool image_signature_equals(const render_image& image, const std::string& signature)
{
    return signature_equals(image, signature, [](const render_image& r, auto& sink) { image_fields(r, sink); });
}

bool glyph_signature_equals(const glyph_alpha_resource& glyph, const std::string& signature)
{
    return signature_equals(glyph, signature, [](const glyph_alpha_resource& r, auto& sink) { glyph_fields(r, sink); });
}
