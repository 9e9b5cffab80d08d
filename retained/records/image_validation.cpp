#include "retained/records/image_validation.h"

#include "runtime/text.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace {

constexpr std::int32_t coordinate_limit = 1000000;
constexpr std::uint32_t extent_limit = 1000000;
constexpr std::size_t image_text_limit = 64;
constexpr std::int32_t ready_dimension_limit = 512;

bool is_one_of(const std::string& text, std::initializer_list<const char*> admitted)
{
    for (const char* value : admitted) {
        if (text == value) {
            return true;
        }
    }
    return false;
}

bool bounded_text(const std::string& text, std::size_t limit) { return !text.empty() && text.size() <= limit; }

bool within(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

std::string image_message(const char* pattern, const render_image& image, const std::string& field = {})
{
    return format_placeholders(pattern, {image.id, field});
}

} // namespace

std::string validate_bounded_geometry(retained_bounds bounds, const std::string& label)
{
    // Width and height compare unsigned, so a negative extent fails as well.
    const bool inside = within(bounds.x, -coordinate_limit, coordinate_limit) &&
                        within(bounds.y, -coordinate_limit, coordinate_limit) &&
                        static_cast<std::uint32_t>(bounds.width) <= extent_limit &&
                        static_cast<std::uint32_t>(bounds.height) <= extent_limit;
    return inside ? std::string() : format_placeholders("{0} exceeds bounded retained geometry", {label});
}

std::string validate_render_image(const render_image& image)
{
    if (!bounded_text(image.id, image_text_limit) || !bounded_text(image.content_identity, image_text_limit) ||
        image.source.empty()) {
        return "render image requires id/content identity of at most 64 bytes and a source";
    }
    if (image.kind != "image") {
        return image_message("render image {0} requires kind=image, received {1}", image, image.kind);
    }
    if (image.generation <= 0) {
        return image_message("render image {0} requires a positive generation", image);
    }
    if (image.format != "bgra8-hex") {
        return image_message("render image {0} format {1} is unsupported; admitted format is bgra8-hex", image,
                             image.format);
    }
    if (!is_one_of(image.colorSpace, {"srgb", "linear-srgb", "display-p3", "rec2020"})) {
        return image_message("render image {0} colorSpace {1} is unsupported; admitted named SDR spaces are srgb, "
                             "linear-srgb, display-p3, and rec2020",
                             image, image.colorSpace);
    }
    if (image.alphaMode != "straight") {
        return image_message("render image {0} requires alphaMode=straight", image);
    }
    const bool ready = image.state == "ready";
    if (!ready && !is_one_of(image.state, {"loading", "empty", "error"})) {
        return image_message("render image {0} has unsupported state {1}", image, image.state);
    }
    if (!ready) {
        const bool empty_metadata = !image.resident && image.sizeBytes == 0 && image.payload.empty() &&
                                    image.width >= 0 && image.height >= 0;
        return empty_metadata
                   ? std::string()
                   : image_message("render image {0} placeholder state requires nonresident empty payload metadata",
                                   image);
    }
    if (!image.resident) {
        return image_message("render image {0} ready state requires resident pixels", image);
    }
    if (!within(image.width, 1, ready_dimension_limit) || !within(image.height, 1, ready_dimension_limit)) {
        return image_message("render image {0} dimensions must be within 1..512", image);
    }
    // Both dimensions are at most 512 here, so the products stay far inside 32 bits.
    const std::int32_t pixel_bytes = image.width * image.height * 4;
    if (pixel_bytes != image.sizeBytes) {
        return image_message("render image {0} byte size must equal width*height*4 within 1048576 bytes", image);
    }
    if (image.payload.size() != static_cast<std::size_t>(pixel_bytes) * 2) {
        return image_message("render image {0} BGRA8 hex payload length must equal sizeBytes*2", image);
    }
    if (!is_hex_text(image.payload)) {
        return image_message("render image {0} BGRA8 payload contains a non-hexadecimal byte", image);
    }
    return {};
}
