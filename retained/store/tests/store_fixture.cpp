#include "retained/store/tests/store_fixture.h"

render_paint test_paint(const std::string& id)
{
    render_paint paint;
    paint.id = id;
    paint.red = 10;
    paint.green = 20;
    paint.blue = 30;
    paint.alpha = 255;
    paint.radius = 2;
    paint.border_width = 1;
    paint.opacity = 80;
    return paint;
}

render_clip test_clip(const std::string& id)
{
    render_clip clip;
    clip.id = id;
    clip.x = 1;
    clip.y = 2;
    clip.width = 30;
    clip.height = 40;
    clip.radius = 3;
    return clip;
}

render_transform test_transform(const std::string& id)
{
    render_transform transform;
    transform.id = id;
    transform.translate_x = 5;
    transform.translate_y = -5;
    transform.scale_x = 100;
    transform.scale_y = 100;
    transform.rotation = 0;
    return transform;
}

render_image test_image(const std::string& id, std::int32_t generation, std::int32_t width, std::int32_t height)
{
    render_image image;
    image.id = id;
    image.kind = "image";
    image.generation = generation;
    image.width = width;
    image.height = height;
    image.sizeBytes = width * height * 4;
    image.format = "bgra8-hex";
    image.colorSpace = "srgb";
    image.alphaMode = "straight";
    image.state = "ready";
    image.resident = true;
    image.content_identity = "content-" + id;
    image.payload.assign(static_cast<std::size_t>(image.sizeBytes) * 2, 'a');
    image.source = "test";
    return image;
}

glyph_alpha_resource test_glyph(char digit)
{
    glyph_alpha_resource glyph;
    glyph.id = "sha256:" + std::string(64, digit);
    glyph.width = 2;
    glyph.height = 2;
    glyph.row_stride = 2;
    glyph.byte_size = 4;
    glyph.format = "a8-unorm-hex";
    glyph.payload = "00ff00ff";
    glyph.source = "test";
    return glyph;
}

render_command test_command(const std::string& owner, std::int32_t sequence, const std::string& kind)
{
    render_command command;
    command.sequence = sequence;
    command.owner = owner;
    command.kind = kind;
    return command;
}

owner_fragment test_fragment(const std::string& owner, std::int32_t generation, std::vector<render_command> commands)
{
    owner_fragment fragment;
    fragment.owner_id = owner;
    fragment.generation = generation;
    fragment.layout = {0, 0, 10, 10};
    fragment.ink = {0, 0, 10, 10};
    fragment.dependencies = {"k1", "k2", "k3", "k4", "k5", "dependency-source"};
    fragment.commands = std::move(commands);
    fragment.source = "test";
    return fragment;
}

owner_fragment test_fragment(const std::string& owner, std::int32_t generation,
                             const std::vector<std::int32_t>& sequences)
{
    std::vector<render_command> commands;
    for (const std::int32_t sequence : sequences) {
        commands.push_back(test_command(owner, sequence));
    }
    return test_fragment(owner, generation, std::move(commands));
}

resource_delta test_delta(const std::string& surface)
{
    resource_delta delta;
    delta.surface = surface;
    return delta;
}

std::string outcome_text(const operation_outcome& outcome)
{
    return std::string(outcome.ok ? "true" : "false") + "|" + std::to_string(outcome.revision) + "|" +
           std::to_string(outcome.validations) + "|" + std::to_string(outcome.explicit_comparisons) + "|" +
           std::to_string(outcome.payload_comparisons) + "|" + outcome.message;
}
