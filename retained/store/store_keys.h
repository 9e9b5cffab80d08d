#pragma once
// The identity keys of the store's key index and their buckets, computed without
// templates or divisions: the same text as identity_key ("<kind length>:<kind>:
// <id length>:<id>:<number>") and the same bucket as identifier_hash(key, 8192),
// at a fraction of the cost, since every lookup, staging and commit needs several.

#include <array>
#include <cstdint>
#include <string>

constexpr std::int32_t store_key_buckets = 8192;

inline std::string store_key(const std::string& kind, const std::string& id, std::int32_t number)
{
    const std::string kind_length = std::to_string(static_cast<std::int32_t>(kind.size()));
    const std::string id_length = std::to_string(static_cast<std::int32_t>(id.size()));
    const std::string number_text = std::to_string(number);
    std::string key;
    key.reserve(kind_length.size() + kind.size() + id_length.size() + id.size() + number_text.size() + 4);
    key.append(kind_length).append(1, ':').append(kind).append(1, ':');
    key.append(id_length).append(1, ':').append(id).append(1, ':').append(number_text);
    return key;
}

namespace store_key_detail {

constexpr std::array<std::uint8_t, 256> byte_codes()
{
    const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-:/@";
    std::array<std::uint8_t, 256> codes{};
    codes.fill(71);
    for (std::size_t i = 0; i + 1 < sizeof alphabet; ++i) {
        codes[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i + 1);
    }
    return codes;
}

inline constexpr std::array<std::uint8_t, 256> codes = byte_codes();

}  // namespace store_key_detail

// h stays below 8192, so h * 33 + code never wraps and the remainder is a mask.
inline std::int32_t store_key_bucket(const std::string& key)
{
    if (key.empty()) {
        return 17;
    }
    std::uint32_t h = 17;
    for (const char byte : key) {
        h = (h * 33 + store_key_detail::codes[static_cast<unsigned char>(byte)]) & (store_key_buckets - 1);
    }
    return static_cast<std::int32_t>(h);
}
