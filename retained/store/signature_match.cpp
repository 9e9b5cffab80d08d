#include "retained/store/signature_match.h"

#include "retained/records/signature_fields.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace {

// Walks a text along the fields a signature writes, in the signature's framing:
// "|" and the decimal of a number, "|", the byte length, ":" and the bytes of a
// text, "|true" or "|false" for a flag.
class signature_reader {
public:
    signature_reader(const std::string& text, std::string_view name) : text_(text) { bytes(name); }

    signature_reader& text(const std::string& value)
    {
        number(static_cast<std::int32_t>(value.size()));
        bytes(":");
        return bytes(value);
    }
    signature_reader& number(std::int32_t value)
    {
        char digits[12];
        char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        bytes("|");
        return bytes(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
    signature_reader& flag(bool value)
    {
        bytes("|");
        return bytes(value ? "true" : "false");
    }
    // The whole text was read and every field matched.
    bool matched() const { return matched_ && at_ == text_.size(); }

private:
    signature_reader& bytes(std::string_view expected)
    {
        if (matched_ && text_.size() - at_ >= expected.size() &&
            std::memcmp(text_.data() + at_, expected.data(), expected.size()) == 0) {
            at_ += expected.size();
        }
        else {
            matched_ = false;
        }
        return *this;
    }

    const std::string& text_;
    std::size_t at_ = 0;
    bool matched_ = true;
};

}  // namespace

bool image_signature_matches(const render_image& image, const std::string& text)
{
    signature_reader reader(text, "image-v1");
    return image_signature_fields(reader, image).matched();
}

bool glyph_signature_matches(const glyph_alpha_resource& glyph, const std::string& text)
{
    signature_reader reader(text, "glyph-v1");
    return glyph_signature_fields(reader, glyph).matched();
}
