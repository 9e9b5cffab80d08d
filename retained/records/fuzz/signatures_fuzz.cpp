// The field texts, identity keys, signatures and the string index on arbitrary
// records: no crash or undefined behaviour, texts carried unchanged behind their
// byte length, every signature equal to its template filled with the field texts
// (or under its versioned name), and an index that finds
// what it was given whatever its bucket count.

#include "retained/records/fuzz/fuzz_support.h"
#include "retained/records/signatures.h"
#include "retained/records/string_index.h"
#include "runtime/text.h"

namespace {

bool starts_with(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

bool ends_with(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string any_text(FuzzedDataProvider& input) { return input.ConsumeRandomLengthString(24); }

std::int32_t any_number(FuzzedDataProvider& input) { return input.ConsumeIntegral<std::int32_t>(); }

void check_field_texts(FuzzedDataProvider& input)
{
    const std::string text = any_text(input);
    fuzz_require(length_prefixed(text) == std::to_string(text.size()) + ":" + text, "length prefix");
    const std::string kind = any_text(input);
    const std::int32_t number = any_number(input);
    fuzz_require(identity_key(kind, text, number) == length_prefixed(kind) + ":" + length_prefixed(text) + ":" +
                                                         std::to_string(number),
                 "identity key");
    const render_clip clip{text, number, number / -2, 3, number, 5};
    fuzz_require(clip_signature(clip) == "clip-v1|" + length_prefixed(text) + "|" + std::to_string(number) + "|" +
                                             std::to_string(number / -2) + "|3|" + std::to_string(number) + "|5",
                 "clip signature");
}

void check_signatures(FuzzedDataProvider& input)
{
    const render_paint paint{any_text(input),   any_number(input), any_number(input), any_number(input),
                             any_number(input), any_number(input), any_number(input), any_number(input)};
    fuzz_require(starts_with(paint_signature(paint), "paint-v1|"), "paint signature");
    const render_transform transform{any_text(input),   any_number(input), any_number(input),
                                     any_number(input), any_number(input), any_number(input)};
    fuzz_require(starts_with(transform_signature(transform), "transform-v1|"), "transform signature");
    const glyph_alpha_resource glyph{any_text(input),   any_number(input), any_number(input), any_number(input),
                                     any_number(input), any_text(input),   any_text(input),   any_text(input)};
    fuzz_require(ends_with(glyph_signature(glyph), "|" + length_prefixed(glyph.source)), "glyph signature");
    render_image image;
    for (std::string* text : {&image.id, &image.kind, &image.format, &image.colorSpace, &image.alphaMode, &image.state,
                              &image.content_identity, &image.payload, &image.source}) {
        *text = any_text(input);
    }
    image.generation = any_number(input);
    image.width = any_number(input);
    image.height = any_number(input);
    image.sizeBytes = any_number(input);
    image.resident = input.ConsumeBool();
    const std::string image_reference = format_placeholders(
        "image-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}",
        {length_prefixed(image.id), length_prefixed(image.kind), std::to_string(image.generation),
         std::to_string(image.width), std::to_string(image.height), std::to_string(image.sizeBytes),
         length_prefixed(image.format), length_prefixed(image.colorSpace), length_prefixed(image.alphaMode),
         length_prefixed(image.state), bool_text(image.resident), length_prefixed(image.content_identity),
         length_prefixed(image.payload), length_prefixed(image.source)});
    fuzz_require(image_signature(image) == image_reference, "image signature is its filled template");

    render_command command;
    command.sequence = any_number(input);
    command.image_generation = any_number(input);
    for (std::int32_t& value : command.opaque_numbers) {
        value = any_number(input);
    }
    for (std::string* text : {&command.owner, &command.kind, &command.opaque_a, &command.opaque_b, &command.resource_id,
                              &command.paint_id, &command.clip_id, &command.transform_id, &command.opaque_c,
                              &command.opaque_d, &command.quad.first, &command.quad.second, &command.quad.third,
                              &command.quad.fourth}) {
        *text = any_text(input);
    }
    for (std::int32_t& value : command.opaque_values) {
        value = any_number(input);
    }
    command.closing = input.ConsumeBool();
    const std::string signature = command_signature(command);
    const std::string inner = format_placeholders(
        "command-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}|{14}|{15}|{16}|{17}|{18}|{19}",
        {std::to_string(command.sequence), length_prefixed(command.owner), length_prefixed(command.kind),
         length_prefixed(command.opaque_a), length_prefixed(command.opaque_b), length_prefixed(command.resource_id),
         std::to_string(command.image_generation), length_prefixed(command.paint_id), length_prefixed(command.clip_id),
         length_prefixed(command.transform_id), std::to_string(command.opaque_numbers[0]),
         std::to_string(command.opaque_numbers[1]), std::to_string(command.opaque_numbers[2]),
         std::to_string(command.opaque_numbers[3]), length_prefixed(command.opaque_c), length_prefixed(command.opaque_d),
         length_prefixed(command.quad.first), length_prefixed(command.quad.second), length_prefixed(command.quad.third),
         length_prefixed(command.quad.fourth)});
    std::vector<std::string> outer = {inner};
    for (const std::int32_t value : command.opaque_values) {
        outer.push_back(std::to_string(value));
    }
    outer.insert(outer.end(), {bool_text(command.closing), "end", "1", "1", "1"});
    fuzz_require(signature == format_placeholders("{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}|{14}|"
                                                  "{15}|{16}|{17}|{18}|{19}|{20}|{21}|{22}|{23}",
                                                  outer),
                 "command signature is its two filled templates");

    owner_fragment fragment;
    fragment.owner_id = any_text(input);
    fragment.source = any_text(input);
    fragment.commands.assign(input.ConsumeIntegralInRange(0, 3), command);
    fuzz_require(ends_with(fragment_signature(fragment), "|" + length_prefixed(fragment.source) + "|" +
                                                             std::to_string(fragment.commands.size())),
                 "fragment signature");
}

void check_index(FuzzedDataProvider& input)
{
    const std::int32_t wide_buckets = any_number(input);
    const std::string probe = any_text(input);
    const std::int32_t hash = identifier_hash(probe, wide_buckets);
    if (probe.empty()) {
        fuzz_require(hash == 17, "empty text hashes to 17");
    } else if (wide_buckets < 1) {
        fuzz_require(hash == -1, "no bucket without buckets");
    } else if (wide_buckets <= 1000000) {
        fuzz_require(hash >= 0 && hash < wide_buckets, "hash inside the buckets");
    }

    string_index index(input.ConsumeIntegralInRange<std::int32_t>(-2, 40));
    std::vector<std::string> keys;
    while (input.remaining_bytes() > 0 && keys.size() < 32) {
        keys.push_back(input.ConsumeRandomLengthString(6));
        index.put(keys.back(), static_cast<std::int32_t>(keys.size()));
    }
    const std::uint32_t before = index.probe_count();
    for (const std::string& key : keys) {
        const std::int32_t found = index.find(key);
        fuzz_require(index.bucket_count() == 0 ? found == -1 : found > 0, "a stored key is found");
        fuzz_require(index.bucket_count() == 0 || (index.bucket(key) >= 0 &&
                                                   static_cast<std::uint32_t>(index.bucket(key)) < index.bucket_count()),
                     "bucket inside the heads");
    }
    fuzz_require(index.probe_count() - before <= keys.size() * keys.size(), "probes bounded by the chains");
    fuzz_require(index.node_count() <= keys.size(), "one node per key");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    check_field_texts(input);
    check_signatures(input);
    check_index(input);
    return 0;
}
