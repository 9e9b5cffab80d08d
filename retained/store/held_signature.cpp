#include "retained/store/held_signature.h"

#include "retained/records/signature_fields.h"

#include <charconv>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

// Both sinks follow the signatures' framing: "|" and the decimal of a number,
// "|", the byte length, ":" and the bytes of a text, "|true" or "|false" for a
// flag. The bytes of the text at `payload` are not part of the held text.

std::string_view decimal(std::int32_t value, char (&digits)[12])
{
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string_view(digits, static_cast<std::size_t>(end - digits));
}

class held_writer {
public:
    held_writer(std::string_view name, const std::string* payload) : payload_(payload) { text_.append(name); }

    held_writer& text(const std::string& value)
    {
        number(static_cast<std::int32_t>(value.size()));
        text_.push_back(':');
        if (&value != payload_) {
            text_.append(value);
        }
        return *this;
    }
    held_writer& number(std::int32_t value)
    {
        char digits[12];
        text_.push_back('|');
        text_.append(decimal(value, digits));
        return *this;
    }
    held_writer& flag(bool value)
    {
        text_.append(value ? "|true" : "|false");
        return *this;
    }
    std::string take() { return std::move(text_); }

private:
    const std::string* payload_;
    std::string text_;
};

class held_reader {
public:
    held_reader(const held_signature& held, std::string_view name, const std::string* payload)
        : held_(held), payload_(payload)
    {
        bytes(name);
    }

    held_reader& text(const std::string& value)
    {
        number(static_cast<std::int32_t>(value.size()));
        bytes(":");
        if (&value != payload_) {
            return bytes(value);
        }
        matched_ = matched_ && value == held_.payload;
        return *this;
    }
    held_reader& number(std::int32_t value)
    {
        char digits[12];
        bytes("|");
        return bytes(decimal(value, digits));
    }
    held_reader& flag(bool value) { return bytes(value ? "|true" : "|false"); }
    // The whole held text was read and every field matched.
    bool matched() const { return matched_ && at_ == held_.text.size(); }

private:
    held_reader& bytes(std::string_view expected)
    {
        const std::string& text = held_.text;
        if (matched_ && text.size() - at_ >= expected.size() &&
            std::memcmp(text.data() + at_, expected.data(), expected.size()) == 0) {
            at_ += expected.size();
        }
        else {
            matched_ = false;
        }
        return *this;
    }

    const held_signature& held_;
    const std::string* payload_;
    std::size_t at_ = 0;
    bool matched_ = true;
};

}  // namespace

held_signature hold_signature(render_paint&& paint)
{
    return {paint_signature(paint), {}};
}

held_signature hold_signature(render_image&& image)
{
    held_writer writer("image-v1", &image.payload);
    return {image_signature_fields(writer, image).take(), std::move(image.payload)};
}

held_signature hold_signature(glyph_alpha_resource&& glyph)
{
    held_writer writer("glyph-v1", &glyph.payload);
    return {glyph_signature_fields(writer, glyph).take(), std::move(glyph.payload)};
}

held_signature hold_signature(render_clip&& clip)
{
    return {clip_signature(clip), {}};
}

held_signature hold_signature(render_transform&& transform)
{
    return {transform_signature(transform), {}};
}

bool held_signature_matches(const render_paint& paint, const held_signature& held)
{
    return held.payload.empty() && paint_signature(paint) == held.text;
}

bool held_signature_matches(const render_image& image, const held_signature& held)
{
    held_reader reader(held, "image-v1", &image.payload);
    return image_signature_fields(reader, image).matched();
}

bool held_signature_matches(const glyph_alpha_resource& glyph, const held_signature& held)
{
    held_reader reader(held, "glyph-v1", &glyph.payload);
    return glyph_signature_fields(reader, glyph).matched();
}

bool held_signature_matches(const render_clip& clip, const held_signature& held)
{
    return held.payload.empty() && clip_signature(clip) == held.text;
}

bool held_signature_matches(const render_transform& transform, const held_signature& held)
{
    return held.payload.empty() && transform_signature(transform) == held.text;
}
