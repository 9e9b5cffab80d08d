// validate_render_image on shaped images: never crashes, and answers "" or one of
// its rule messages. validate_bounded_geometry on any bounds likewise.

#include "retained/records/fuzz/fuzz_support.h"
#include "retained/records/image_validation.h"
#include "runtime/text.h"

namespace {

std::string hex_payload(FuzzedDataProvider& input, std::size_t digits)
{
    static const char hex[] = "0123456789abcdefABCDEF";
    std::string payload(digits, '0');
    const std::string noise = input.ConsumeBytesAsString(std::min<std::size_t>(digits, 64));
    for (std::size_t i = 0; i < noise.size(); ++i) {
        payload[i] = hex[static_cast<unsigned char>(noise[i]) % (sizeof hex - 1)];
    }
    if (digits != 0 && input.ConsumeIntegral<std::uint8_t>() < 16) {
        payload[input.ConsumeIntegralInRange<std::size_t>(0, digits - 1)] = input.ConsumeIntegral<char>();
    }
    return payload;
}

render_image shaped_image(FuzzedDataProvider& input)
{
    render_image image;
    image.id = pick_text(input, {"logo", "", "0123456789012345678901234567890123456789012345678901234567890123",
                                 "{0}", "{1}x"});
    image.kind = pick_text(input, {"image", "Image", ""});
    image.generation = pick_number(input);
    image.width = pick_number(input);
    image.height = pick_number(input);
    image.sizeBytes = input.ConsumeBool() ? static_cast<std::int32_t>(static_cast<std::uint32_t>(image.width) *
                                                                      static_cast<std::uint32_t>(image.height) * 4u)
                                          : pick_number(input);
    image.format = pick_text(input, {"bgra8-hex", "rgba8-hex"});
    image.colorSpace = pick_text(input, {"srgb", "linear-srgb", "display-p3", "rec2020", "sRGB"});
    image.alphaMode = pick_text(input, {"straight", "premultiplied"});
    image.state = pick_text(input, {"ready", "loading", "empty", "error", "Ready"});
    image.resident = input.ConsumeBool();
    image.content_identity = pick_text(input, {"sha256:logo", ""});
    image.source = pick_text(input, {"disk", ""});
    const std::uint8_t payload_kind = input.ConsumeIntegral<std::uint8_t>();
    const bool small = image.width >= 0 && image.width <= 64 && image.height >= 0 && image.height <= 64;
    if (payload_kind < 160 && small) {
        std::size_t digits = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 8;
        if (payload_kind < 16 && digits != 0) {
            --digits;
        }
        image.payload = hex_payload(input, digits);
    } else if (payload_kind < 200) {
        image.payload.clear();
    } else {
        image.payload = input.ConsumeRandomLengthString(256);
    }
    return image;
}

std::vector<std::string> image_messages(const render_image& image)
{
    std::vector<std::string> messages = {"", "render image requires id/content identity of at most 64 bytes and a source"};
    const char* const patterns[] = {
        "render image {0} requires kind=image, received {1}",
        "render image {0} requires a positive generation",
        "render image {0} format {1} is unsupported; admitted format is bgra8-hex",
        ("render image {0} colorSpace {1} is unsupported; admitted named SDR spaces are srgb, linear-srgb, "
         "display-p3, and rec2020"),
        "render image {0} requires alphaMode=straight",
        "render image {0} has unsupported state {1}",
        "render image {0} placeholder state requires nonresident empty payload metadata",
        "render image {0} ready state requires resident pixels",
        "render image {0} dimensions must be within 1..512",
        "render image {0} byte size must equal width*height*4 within 1048576 bytes",
        "render image {0} BGRA8 hex payload length must equal sizeBytes*2",
        "render image {0} BGRA8 payload contains a non-hexadecimal byte",
    };
    for (const std::string& field : {image.kind, image.format, image.colorSpace, image.state}) {
        for (const char* pattern : patterns) {
            messages.push_back(format_placeholders(pattern, {image.id, field}));
        }
    }
    return messages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const retained_bounds bounds{input.ConsumeIntegral<std::int32_t>(), input.ConsumeIntegral<std::int32_t>(),
                                 input.ConsumeIntegral<std::int32_t>(), input.ConsumeIntegral<std::int32_t>()};
    const std::string geometry = validate_bounded_geometry(bounds, "box");
    fuzz_require(geometry.empty() || geometry == "box exceeds bounded retained geometry", "geometry message");

    const render_image image = shaped_image(input);
    const std::string message = validate_render_image(image);
    fuzz_require(one_of(message, image_messages(image)), "image message is a rule text");
    if (message.empty() && image.state == "ready") {
        fuzz_require(image.payload.size() == static_cast<std::size_t>(image.sizeBytes) * 2 && is_hex_text(image.payload),
                     "a valid ready image carries its pixels");
    }
    return 0;
}
