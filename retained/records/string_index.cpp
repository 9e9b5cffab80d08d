#include "retained/records/string_index.h"

#include <array>
#include <cstddef>

namespace {

constexpr char identifier_alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-:/@";
constexpr std::int32_t foreign_byte_code = 71;

constexpr std::array<std::uint8_t, 256> make_byte_codes()
{
    std::array<std::uint8_t, 256> codes{};
    for (auto& code : codes) {
        code = foreign_byte_code;
    }
    for (std::size_t i = 0; i + 1 < sizeof identifier_alphabet; ++i) {
        codes[static_cast<unsigned char>(identifier_alphabet[i])] = static_cast<std::uint8_t>(i + 1);
    }
    return codes;
}

constexpr std::array<std::uint8_t, 256> byte_codes = make_byte_codes();

// The head slot of a bucket, or none: an index without buckets has no bucket,
// and a moved-from one keeps its bucket count but has lost its heads.
bool has_head(const std::vector<std::int32_t>& heads, std::int32_t b)
{
    return b >= 0 && static_cast<std::size_t>(b) < heads.size();
}

} // namespace

std::int32_t identifier_hash(const std::string& text, std::int32_t n)
{
    if (text.empty()) {
        return 17;
    }
    if (n < 1) {
        return -1;
    }
    std::int32_t h = 17;
    for (const char byte : text) {
        // h * 33 + code wraps at 32 bits, computed wide so the wrap is defined.
        const std::int64_t wide = std::int64_t{h} * 33 + byte_codes[static_cast<unsigned char>(byte)];
        h = static_cast<std::int32_t>(static_cast<std::uint32_t>(wide)) % n;
    }
    return h;
}

string_index::string_index(std::int32_t n)
    : bucket_count_(n < 1 ? 0u : static_cast<std::uint32_t>(n)), heads_(bucket_count_, -1)
{
}

std::int32_t string_index::bucket(const std::string& key) const
{
    if (bucket_count_ == 0) {
        return -1;
    }
    const auto n = static_cast<std::int32_t>(bucket_count_);
    // The empty key's 17, and a wrapped negative hash of a huge bucket count,
    // are folded into the buckets.
    std::int32_t b = identifier_hash(key, n) % n;
    if (b < 0) {
        b += n;
    }
    return b;
}

void string_index::put(const std::string& key, std::int32_t value)
{
    const std::int32_t b = bucket(key);
    if (!has_head(heads_, b)) {
        return;
    }
    const auto head = static_cast<std::size_t>(b);
    for (std::int32_t i = heads_[head]; i >= 0; i = next_[static_cast<std::size_t>(i)]) {
        if (keys_[static_cast<std::size_t>(i)] == key) {
            values_[static_cast<std::size_t>(i)] = value;
            return;
        }
    }
    keys_.push_back(key);
    values_.push_back(value);
    next_.push_back(heads_[head]);
    heads_[head] = static_cast<std::int32_t>(keys_.size() - 1);
}

std::int32_t string_index::find(const std::string& key)
{
    const std::int32_t b = bucket(key);
    if (!has_head(heads_, b)) {
        return -1;
    }
    for (std::int32_t i = heads_[static_cast<std::size_t>(b)]; i >= 0; i = next_[static_cast<std::size_t>(i)]) {
        ++probe_count_;
        if (keys_[static_cast<std::size_t>(i)] == key) {
            return values_[static_cast<std::size_t>(i)];
        }
    }
    return -1;
}
