#include "retained/records/tests/record_samples.h"

render_image ready_image(std::int32_t w, std::int32_t h)
{
    render_image image;
    image.id = "logo";
    image.kind = "image";
    image.generation = 1;
    image.width = w;
    image.height = h;
    image.sizeBytes = w * h * 4;
    image.format = "bgra8-hex";
    image.colorSpace = "srgb";
    image.alphaMode = "straight";
    image.state = "ready";
    image.resident = true;
    image.content_identity = "sha256:logo";
    image.source = "disk";
    const std::string digits = "09afAF3c";
    image.payload.reserve(static_cast<std::size_t>(image.sizeBytes) * 2);
    for (std::int32_t i = 0; i < image.sizeBytes * 2; ++i) {
        image.payload.push_back(digits[static_cast<std::size_t>(i) % digits.size()]);
    }
    return image;
}

render_command command_of(const std::string& owner, const std::string& kind)
{
    render_command command;
    command.owner = owner;
    command.kind = kind;
    return command;
}

owner_fragment valid_fragment()
{
    owner_fragment fragment;
    fragment.owner_id = "P";
    fragment.generation = 1;
    fragment.layout = {0, 0, 10, 10};
    fragment.ink = {-5, -5, 20, 20};
    fragment.dependencies = {"k1", "k2", "k3", "k4", "k5", "src"};
    fragment.commands = {command_of("P", "image")};
    fragment.source = "layout";
    return fragment;
}
