// validate_retained_fragment on shaped fragments: never crashes, and answers ""
// or one of its rule messages (a foreign owner quoted from one of the commands).

#include "retained/records/fragment_validation.h"
#include "retained/records/fuzz/fuzz_support.h"
#include "runtime/text.h"

#include <set>

namespace {

retained_bounds shaped_bounds(FuzzedDataProvider& input)
{
    if (input.ConsumeBool()) {
        return {input.ConsumeIntegral<std::int32_t>(), input.ConsumeIntegral<std::int32_t>(),
                input.ConsumeIntegral<std::int32_t>(), input.ConsumeIntegral<std::int32_t>()};
    }
    return {input.ConsumeIntegralInRange<std::int32_t>(-1000001, 1000001),
            input.ConsumeIntegralInRange<std::int32_t>(-1000001, 1000001),
            input.ConsumeIntegralInRange<std::int32_t>(-1, 1000001),
            input.ConsumeIntegralInRange<std::int32_t>(-1, 1000001)};
}

owner_fragment shaped_fragment(FuzzedDataProvider& input)
{
    owner_fragment fragment;
    fragment.owner_id = pick_text(input, {"P", "Panel", "", "{0}", "a.b"}, 200);
    fragment.generation = pick_number(input);
    fragment.opaque_number = input.ConsumeIntegral<std::int32_t>();
    fragment.layout = shaped_bounds(input);
    fragment.ink = input.ConsumeBool() ? fragment.layout : shaped_bounds(input);
    dependency_signature& dependencies = fragment.dependencies;
    for (std::string* text : {&dependencies.key_1, &dependencies.key_2, &dependencies.key_3, &dependencies.key_4,
                              &dependencies.key_5, &dependencies.source}) {
        *text = pick_text(input, {"k", "k", "k", ""});
    }
    fragment.source = pick_text(input, {"layout", ""});
    const std::size_t count = input.ConsumeIntegral<std::uint8_t>() >= 248 ? 4096 + input.ConsumeIntegralInRange(0, 1)
                                                                          : input.ConsumeIntegralInRange(0, 48);
    const std::string dotted = fragment.owner_id + ".";
    const std::size_t shaped = std::min<std::size_t>(count, 48);
    for (std::size_t i = 0; i < shaped; ++i) {
        render_command command;
        const std::uint8_t owner_kind = input.ConsumeIntegral<std::uint8_t>();
        command.owner = owner_kind < 180   ? fragment.owner_id
                        : owner_kind < 220 ? dotted + input.ConsumeRandomLengthString(8)
                                           : input.ConsumeRandomLengthString(16);
        command.kind = pick_text(input, {"image", "glyphAlpha", "transformPush", "transformPop", "clipPush", "clipPop"});
        fragment.commands.push_back(std::move(command));
    }
    render_command filler;
    filler.owner = fragment.owner_id;
    filler.kind = "image";
    fragment.commands.resize(count, filler);
    return fragment;
}

std::vector<std::string> fragment_messages(const owner_fragment& fragment)
{
    const std::string& owner = fragment.owner_id;
    std::vector<std::string> messages = {
        "",
        "retained owner fragment requires bounded identity, positive generation, and source",
        format_placeholders("fragment {0} layout bounds exceeds bounded retained geometry", {owner}),
        format_placeholders("fragment {0} ink bounds exceeds bounded retained geometry", {owner}),
        format_placeholders("fragment {0} requires positive layout and ink bounds", {owner}),
        format_placeholders("fragment {0} ink bounds must contain its layout bounds", {owner}),
        format_placeholders("fragment {0}: retained fragment dependency signature requires five nonempty keys and a "
                            "source",
                            {owner}),
        format_placeholders("fragment {0} requires 1..4096 commands", {owner}),
        format_placeholders("fragment {0} contains an underflowing local stack", {owner}),
        format_placeholders("fragment {0} must balance transform and clip state locally", {owner}),
    };
    std::set<std::string> command_owners;
    for (const render_command& command : fragment.commands) {
        command_owners.insert(command.owner);
    }
    for (const std::string& command_owner : command_owners) {
        messages.push_back(format_placeholders("fragment {0} contains foreign command owner {1}", {owner, command_owner}));
    }
    return messages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const owner_fragment fragment = shaped_fragment(input);
    const std::string message = validate_retained_fragment(fragment);
    fuzz_require(one_of(message, fragment_messages(fragment)), "fragment message is a rule text");
    if (message.empty()) {
        fuzz_require(!fragment.commands.empty() && fragment.commands.size() <= 4096, "a valid fragment has 1..4096 commands");
    }
    return 0;
}
