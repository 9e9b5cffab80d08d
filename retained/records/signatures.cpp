#include "retained/records/signatures.h"

#include "retained/records/signature_fields.h"

#include "runtime/text.h"

#include <charconv>
#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace {

std::string number_text(std::int32_t number) { return std::to_string(number); }

std::string byte_length_text(const std::string& text)
{
    return number_text(static_cast<std::int32_t>(text.size()));
}

// Widest field framing: "|", a sign and ten digits, ":".
constexpr std::size_t field_overhead = 13;

// A signature written field by field into one buffer reserved for the whole
// text, so that a payload of megabytes is copied once and no temporary of its
// size is made. The text is that of the signature's template filled with the
// field texts.
class signature_text {
public:
    signature_text(std::string_view name, std::initializer_list<const std::string*> texts, std::size_t fields)
    {
        std::size_t bytes = name.size() + fields * field_overhead;
        for (const std::string* text : texts) {
            bytes += text->size();
        }
        out_.reserve(bytes);
        out_.append(name);
    }

    signature_text& text(const std::string& value)
    {
        number(static_cast<std::int32_t>(value.size()));
        out_.push_back(':');
        out_.append(value);
        return *this;
    }
    signature_text& number(std::int32_t value)
    {
        char digits[12];
        char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out_.push_back('|');
        out_.append(digits, static_cast<std::size_t>(end - digits));
        return *this;
    }
    signature_text& flag(bool value)
    {
        out_.push_back('|');
        out_.append(value ? "true" : "false");
        return *this;
    }
    signature_text& word(std::string_view value)
    {
        out_.push_back('|');
        out_.append(value);
        return *this;
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

} // namespace

std::string length_prefixed(const std::string& text)
{
    std::vector<std::string> args;
    args.reserve(2);
    args.push_back(byte_length_text(text));
    args.push_back(text);
    return format_placeholders("{0}:{1}", args);
}

std::string identity_key(const std::string& kind, const std::string& id, std::int32_t number)
{
    return format_placeholders("{0}:{1}:{2}:{3}:{4}",
                               {byte_length_text(kind), kind, byte_length_text(id), id, number_text(number)});
}

std::string clip_signature(const render_clip& clip)
{
    return signature_text("clip-v1", {&clip.id}, 6)
        .text(clip.id)
        .number(clip.x)
        .number(clip.y)
        .number(clip.width)
        .number(clip.height)
        .number(clip.radius)
        .take();
}

std::string transform_signature(const render_transform& transform)
{
    return signature_text("transform-v1", {&transform.id}, 6)
        .text(transform.id)
        .number(transform.translate_x)
        .number(transform.translate_y)
        .number(transform.scale_x)
        .number(transform.scale_y)
        .number(transform.rotation)
        .take();
}

std::string paint_signature(const render_paint& paint)
{
    return signature_text("paint-v1", {&paint.id}, 8)
        .text(paint.id)
        .number(paint.red)
        .number(paint.green)
        .number(paint.blue)
        .number(paint.alpha)
        .number(paint.radius)
        .number(paint.border_width)
        .number(paint.opacity)
        .take();
}

std::string glyph_signature(const glyph_alpha_resource& glyph)
{
    signature_text signature("glyph-v1", {&glyph.id, &glyph.format, &glyph.payload, &glyph.source}, 8);
    return glyph_signature_fields(signature, glyph).take();
}

std::string image_signature(const render_image& image)
{
    signature_text signature("image-v1",
                             {&image.id, &image.kind, &image.format, &image.colorSpace, &image.alphaMode,
                              &image.state, &image.content_identity, &image.payload, &image.source},
                             14);
    return image_signature_fields(signature, image).take();
}

std::string command_signature(const render_command& command)
{
    // The inner fields, then the outer ones that the inner text is wrapped in:
    // the eighteen values, the closing flag, "end" and three times 1.
    signature_text signature("command-v1",
                             {&command.owner, &command.kind, &command.opaque_a, &command.opaque_b,
                              &command.resource_id, &command.paint_id, &command.clip_id, &command.transform_id,
                              &command.opaque_c, &command.opaque_d, &command.quad.first, &command.quad.second,
                              &command.quad.third, &command.quad.fourth},
                             43);
    signature.number(command.sequence)
        .text(command.owner)
        .text(command.kind)
        .text(command.opaque_a)
        .text(command.opaque_b)
        .text(command.resource_id)
        .number(command.image_generation)
        .text(command.paint_id)
        .text(command.clip_id)
        .text(command.transform_id);
    for (const std::int32_t value : command.opaque_numbers) {
        signature.number(value);
    }
    signature.text(command.opaque_c)
        .text(command.opaque_d)
        .text(command.quad.first)
        .text(command.quad.second)
        .text(command.quad.third)
        .text(command.quad.fourth);
    for (const std::int32_t value : command.opaque_values) {
        signature.number(value);
    }
    return signature.flag(command.closing).word("end").number(1).number(1).number(1).take();
}

std::string fragment_signature(const owner_fragment& fragment)
{
    const dependency_signature& dependencies = fragment.dependencies;
    return signature_text("fragment-v1",
                          {&fragment.owner_id, &dependencies.key_1, &dependencies.key_2, &dependencies.key_3,
                           &dependencies.key_4, &dependencies.key_5, &dependencies.source, &fragment.source},
                          19)
        .text(fragment.owner_id)
        .number(fragment.generation)
        .number(fragment.opaque_number)
        .number(fragment.layout.x)
        .number(fragment.layout.y)
        .number(fragment.layout.width)
        .number(fragment.layout.height)
        .number(fragment.ink.x)
        .number(fragment.ink.y)
        .number(fragment.ink.width)
        .number(fragment.ink.height)
        .text(dependencies.key_1)
        .text(dependencies.key_2)
        .text(dependencies.key_3)
        .text(dependencies.key_4)
        .text(dependencies.key_5)
        .text(dependencies.source)
        .text(fragment.source)
        .number(static_cast<std::int32_t>(fragment.commands.size()))
        .take();
}
