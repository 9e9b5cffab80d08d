// image_signature of a ready 512 x 512 image (2 MiB of hexadecimal digits) beside
// one copy of its payload, the floor that the signature is measured against.

#include "retained/records/signatures.h"
#include "retained/records/tests/record_samples.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

void image_signature_512(benchmark::State& state)
{
    const render_image image = ready_image(512, 512);
    for (auto _ : state) {
        std::string signature = image_signature(image);
        benchmark::DoNotOptimize(signature.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(image.payload.size()));
}
BENCHMARK(image_signature_512);

void payload_memcpy_512(benchmark::State& state)
{
    const render_image image = ready_image(512, 512);
    std::string copy(image.payload.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), image.payload.data(), image.payload.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(image.payload.size()));
}
BENCHMARK(payload_memcpy_512);

} // namespace

BENCHMARK_MAIN();
