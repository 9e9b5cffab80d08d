#include "retained/records/fragment_validation.h"

#include "retained/records/image_validation.h"
#include "runtime/text.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t owner_id_limit = 128;
constexpr std::size_t command_limit = 4096;

// Sums in 64 bits: the same verdict as 32-bit sums wherever those do not overflow.
bool contains(const retained_bounds& outer, const retained_bounds& inner)
{
    return outer.x <= inner.x && outer.y <= inner.y &&
           std::int64_t{outer.x} + outer.width >= std::int64_t{inner.x} + inner.width &&
           std::int64_t{outer.y} + outer.height >= std::int64_t{inner.y} + inner.height;
}

bool complete(const dependency_signature& dependencies)
{
    return !dependencies.key_1.empty() && !dependencies.key_2.empty() && !dependencies.key_3.empty() &&
           !dependencies.key_4.empty() && !dependencies.key_5.empty() && !dependencies.source.empty();
}

std::string fragment_message(const char* pattern, const owner_fragment& fragment, const std::string& detail = {})
{
    return format_placeholders(pattern, {fragment.owner_id, detail});
}

} // namespace

std::string validate_retained_fragment(const owner_fragment& fragment)
{
    if (fragment.owner_id.empty() || fragment.owner_id.size() > owner_id_limit || fragment.source.empty() ||
        fragment.generation < 1) {
        return "retained owner fragment requires bounded identity, positive generation, and source";
    }
    std::string geometry =
        validate_bounded_geometry(fragment.layout, fragment_message("fragment {0} layout bounds", fragment));
    if (!geometry.empty()) {
        return geometry;
    }
    geometry = validate_bounded_geometry(fragment.ink, fragment_message("fragment {0} ink bounds", fragment));
    if (!geometry.empty()) {
        return geometry;
    }
    if (fragment.layout.width < 1 || fragment.layout.height < 1 || fragment.ink.width < 1 || fragment.ink.height < 1) {
        return fragment_message("fragment {0} requires positive layout and ink bounds", fragment);
    }
    if (!contains(fragment.ink, fragment.layout)) {
        return fragment_message("fragment {0} ink bounds must contain its layout bounds", fragment);
    }
    if (!complete(fragment.dependencies)) {
        return fragment_message("fragment {0}: {1}", fragment,
                                "retained fragment dependency signature requires five nonempty keys and a source");
    }
    if (fragment.commands.empty() || fragment.commands.size() > command_limit) {
        return fragment_message("fragment {0} requires 1..4096 commands", fragment);
    }
    const std::string owner_prefix = fragment_message("{0}.", fragment);
    // At most 4096 commands, so the depths cannot overflow.
    std::int32_t transform_depth = 0;
    std::int32_t clip_depth = 0;
    for (const render_command& command : fragment.commands) {
        if (command.owner != fragment.owner_id && !text_starts_with(command.owner, owner_prefix)) {
            return fragment_message("fragment {0} contains foreign command owner {1}", fragment, command.owner);
        }
        if (command.kind == "transformPush") {
            ++transform_depth;
        } else if (command.kind == "transformPop") {
            --transform_depth;
        } else if (command.kind == "clipPush") {
            ++clip_depth;
        } else if (command.kind == "clipPop") {
            --clip_depth;
        }
        if (transform_depth < 0 || clip_depth < 0) {
            return fragment_message("fragment {0} contains an underflowing local stack", fragment);
        }
    }
    if (transform_depth != 0 || clip_depth != 0) {
        return fragment_message("fragment {0} must balance transform and clip state locally", fragment);
    }
    return {};
}
