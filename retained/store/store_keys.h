#pragma once
// The identity keys of the store's key index and their buckets, computed without
// templates or divisions: the same text as identity_key ("<kind length>:<kind>:
// <id length>:<id>:<number>") and the same bucket as identifier_hash(key, 8192),
// at a fraction of the cost, since every lookup, staging and commit needs several.

#include <array>
#include <charconv>
#include <cstdint>
#include <string>

constexpr std::int32_t store_key_buckets = 8192;

inline std::string store_key(const std::string& kind, const std::string& id, std::int32_t number)
{
    char kind_length[12];
    char id_length[12];
    char number_text[12];
    const auto written = [](char* digits, std::int32_t value) {
        return static_cast<std::size_t>(std::to_chars(digits, digits + 12, value).ptr - digits);
    };
    const std::size_t kind_digits = written(kind_length, static_cast<std::int32_t>(kind.size()));
    const std::size_t id_digits = written(id_length, static_cast<std::int32_t>(id.size()));
    const std::size_t number_digits = written(number_text, number);
    std::string key;
    key.reserve(kind_digits + kind.size() + id_digits + id.size() + number_digits + 4);
    key.append(kind_length, kind_digits).append(1, ':').append(kind).append(1, ':');
    key.append(id_length, id_digits).append(1, ':').append(id).append(1, ':').append(number_text, number_digits);
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

// The bucket of a key, identifier_hash(key, 8192), and a 32-bit fingerprint of
// its bytes that lets a chain walk skip nodes of other keys without comparing
// texts. h stays below 8192, so h * 33 + code never wraps and the remainder is a mask.
struct store_key_hash {
    std::int32_t bucket;
    std::uint32_t fingerprint;
};

constexpr std::uint32_t fingerprint_seed = 2166136261u;  // FNV-1a

inline std::uint32_t fingerprint_step(std::uint32_t fingerprint, char byte)
{
    return (fingerprint ^ static_cast<unsigned char>(byte)) * 16777619u;
}

// A 32-bit fingerprint of any text.
inline std::uint32_t text_fingerprint(const std::string& text)
{
    std::uint32_t fingerprint = fingerprint_seed;
    for (const char byte : text) {
        fingerprint = fingerprint_step(fingerprint, byte);
    }
    return fingerprint;
}

inline store_key_hash hash_store_key(const std::string& key)
{
    if (key.empty()) {
        return {17, fingerprint_seed};
    }
    std::uint32_t h = 17;
    std::uint32_t fingerprint = fingerprint_seed;
    for (const char byte : key) {
        h = (h * 33 + store_key_detail::codes[static_cast<unsigned char>(byte)]) & (store_key_buckets - 1);
        fingerprint = fingerprint_step(fingerprint, byte);
    }
    return {static_cast<std::int32_t>(h), fingerprint};
}
