#include "retained/records/signatures.h"

#include "runtime/text.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace {

std::string number_text(std::int32_t number) { return std::to_string(number); }

std::string byte_length_text(const std::string& text)
{
    return number_text(static_cast<std::int32_t>(text.size()));
}

// The arguments of one template, each written as its field text. Built in place
// and moved, so a payload is copied only into its field text and the result.
class field_texts {
public:
    explicit field_texts(std::size_t count) { texts_.reserve(count); }

    field_texts& text(const std::string& value)
    {
        texts_.push_back(length_prefixed(value));
        return *this;
    }
    field_texts& number(std::int32_t value)
    {
        texts_.push_back(number_text(value));
        return *this;
    }
    field_texts& flag(bool value)
    {
        texts_.push_back(bool_text(value));
        return *this;
    }
    field_texts& raw(std::string value)
    {
        texts_.push_back(std::move(value));
        return *this;
    }
    std::string fill(const std::string& pattern) const { return format_placeholders(pattern, texts_); }

private:
    std::vector<std::string> texts_;
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
    return field_texts(6)
        .text(clip.id)
        .number(clip.x)
        .number(clip.y)
        .number(clip.width)
        .number(clip.height)
        .number(clip.radius)
        .fill("clip-v1|{0}|{1}|{2}|{3}|{4}|{5}");
}

std::string transform_signature(const render_transform& transform)
{
    return field_texts(6)
        .text(transform.id)
        .number(transform.translate_x)
        .number(transform.translate_y)
        .number(transform.scale_x)
        .number(transform.scale_y)
        .number(transform.rotation)
        .fill("transform-v1|{0}|{1}|{2}|{3}|{4}|{5}");
}

std::string paint_signature(const render_paint& paint)
{
    return field_texts(8)
        .text(paint.id)
        .number(paint.red)
        .number(paint.green)
        .number(paint.blue)
        .number(paint.alpha)
        .number(paint.radius)
        .number(paint.border_width)
        .number(paint.opacity)
        .fill("paint-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}");
}

std::string glyph_signature(const glyph_alpha_resource& glyph)
{
    return field_texts(8)
        .text(glyph.id)
        .number(glyph.width)
        .number(glyph.height)
        .number(glyph.row_stride)
        .number(glyph.byte_size)
        .text(glyph.format)
        .text(glyph.payload)
        .text(glyph.source)
        .fill("glyph-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}");
}

std::string image_signature(const render_image& image)
{
    return field_texts(14)
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
        .text(image.source)
        .fill("image-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}");
}

std::string command_signature(const render_command& command)
{
    field_texts inner(20);
    inner.number(command.sequence)
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
        inner.number(value);
    }
    inner.text(command.opaque_c)
        .text(command.opaque_d)
        .text(command.quad.first)
        .text(command.quad.second)
        .text(command.quad.third)
        .text(command.quad.fourth);

    field_texts outer(24);
    outer.raw(inner.fill("command-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}|{14}|{15}|{16}|{17}|"
                         "{18}|{19}"));
    for (const std::int32_t value : command.opaque_values) {
        outer.number(value);
    }
    outer.flag(command.closing).raw("end").number(1).number(1).number(1);
    return outer.fill("{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}|{14}|{15}|{16}|{17}|{18}|{19}|"
                      "{20}|{21}|{22}|{23}");
}

std::string fragment_signature(const owner_fragment& fragment)
{
    const dependency_signature& dependencies = fragment.dependencies;
    return field_texts(19)
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
        .fill("fragment-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}|{14}|{15}|{16}|{17}|{18}");
}
