#pragma once
// The identity keys of the store's key index and their buckets, computed without
// templates or divisions: the same text as identity_key ("<kind length>:<kind>:
// <id length>:<id>:<number>") and the same bucket as identifier_hash(key, 8192),
// at a fraction of the cost, since every lookup, staging and commit needs several.

#include <array>
#include <charconv>
#include <cstring>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::int32_t store_key_buckets = 8192;

// Writes the key into `key`, reusing its capacity.
inline void assign_store_key(std::string& key, std::string_view kind, std::string_view id, std::int32_t number)
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
    key.resize(kind_digits + kind.size() + id_digits + id.size() + number_digits + 4);
    char* out = key.data();
    const auto put = [&out](const char* bytes, std::size_t n) {
        std::memcpy(out, bytes, n);
        out += n;
    };
    put(kind_length, kind_digits);
    *out++ = ':';
    put(kind.data(), kind.size());
    *out++ = ':';
    put(id_length, id_digits);
    *out++ = ':';
    put(id.data(), id.size());
    *out++ = ':';
    put(number_text, number_digits);
}

inline std::string store_key(std::string_view kind, std::string_view id, std::int32_t number)
{
    std::string key;
    assign_store_key(key, kind, id, number);
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
// texts: the recurrence's whole 32-bit value, of which the bucket is the low 13 bits.
struct store_key_hash {
    std::int32_t bucket;
    std::uint32_t fingerprint;
};

namespace store_key_detail {

// Eight bytes at a time: the fingerprint only has to tell most unequal texts apart.
inline std::uint32_t fingerprint_of(const char* bytes, std::size_t n)
{
    std::uint64_t f = 0x9e3779b97f4a7c15u ^ n;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        f = (f ^ word) * 0xff51afd7ed558ccdu;
        f ^= f >> 29;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes + i, n - i);
    f = (f ^ tail) * 0xc4ceb9fe1a85ec53u;
    f ^= f >> 32;
    return static_cast<std::uint32_t>(f);
}

}  // namespace store_key_detail

// A 32-bit fingerprint of any text.
inline std::uint32_t text_fingerprint(const std::string& text)
{
    return store_key_detail::fingerprint_of(text.data(), text.size());
}

// The hash is h := (h * 33 + code) mod 8192 per byte. With 8192 a power of two the
// remainder can be taken once at the end, and four bytes can go in one step,
// h * 33^4 + c0 * 33^3 + c1 * 33^2 + c2 * 33 + c3, in wrapping unsigned arithmetic:
// the low 13 bits are those of the byte-wise recurrence.
inline store_key_hash hash_store_key(const std::string& key)
{
    if (key.empty()) {
        return {17, 17};
    }
    const auto& codes = store_key_detail::codes;
    const auto code = [&](std::size_t i) -> std::uint32_t { return codes[static_cast<unsigned char>(key[i])]; };
    std::uint32_t h = 17;
    std::size_t i = 0;
    for (; i + 4 <= key.size(); i += 4) {
        h = h * 1185921u + code(i) * 35937u + code(i + 1) * 1089u + code(i + 2) * 33u + code(i + 3);
    }
    for (; i < key.size(); ++i) {
        h = h * 33u + code(i);
    }
    return {static_cast<std::int32_t>(h & (store_key_buckets - 1)), h};
}
