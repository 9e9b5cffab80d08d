#pragma once
// Input shaping and the one failure path shared by the records' fuzz targets.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

// Aborts, so that libFuzzer records the input that broke the property.
inline void fuzz_require(bool holds, const char* property)
{
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", property);
        std::abort();
    }
}

inline bool one_of(const std::string& text, const std::vector<std::string>& candidates)
{
    return std::find(candidates.begin(), candidates.end(), text) != candidates.end();
}

// Mostly one of the meaningful texts, so that the deep rules are reached too;
// otherwise arbitrary bytes.
inline std::string pick_text(FuzzedDataProvider& input, std::initializer_list<const char*> meaningful,
                             std::size_t max_length = 80)
{
    const std::uint8_t choice = input.ConsumeIntegral<std::uint8_t>();
    if (choice < 192 && meaningful.size() != 0) {
        return *(meaningful.begin() + choice % meaningful.size());
    }
    return input.ConsumeRandomLengthString(max_length);
}

// Mostly a small number near the limits that the rules test; otherwise any 32-bit value.
inline std::int32_t pick_number(FuzzedDataProvider& input)
{
    if (input.ConsumeBool()) {
        return input.ConsumeIntegralInRange<std::int32_t>(-600, 600);
    }
    return input.ConsumeIntegral<std::int32_t>();
}
