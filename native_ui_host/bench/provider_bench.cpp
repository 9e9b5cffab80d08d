// Per-item cost of one accessibility batch of new nodes, and of publishing new
// displays, at 100 and 10,000 items: lookups must not grow with the lists.

#include "native_ui_host/provider.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t owner = 1;

native_ui_host_capabilities every_capability()
{
    native_ui_host_capabilities caps;
    caps.schema = "quon.native-ui-host-capabilities.v1";
    caps.version = 1;
    caps.provider = "bench";
    caps.accessibility = true;
    caps.display_topology = true;
    return caps;
}

std::vector<std::string> ids(std::int64_t count, const std::string& prefix)
{
    std::vector<std::string> result;
    for (std::int64_t i = 0; i < count; ++i) {
        result.push_back(prefix + std::to_string(i));
    }
    return result;
}

void per_item(benchmark::State& state, std::int64_t items)
{
    // Shown as the time per item.
    state.counters["per_item"] = benchmark::Counter(static_cast<double>(items) * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(items * state.iterations());
}

void new_node_batch(benchmark::State& state)
{
    const std::vector<std::string> node_ids = ids(state.range(0), "node-");
    for (auto _ : state) {
        native_ui_host_provider provider(every_capability(), owner);
        provider.initialize(true, false, owner, 0, 0);
        provider.accessibility_batch_begin(owner, 0, 0);
        for (const auto& id : node_ids) {
            benchmark::DoNotOptimize(provider.accessibility_update(id, 1, "button", "OK", owner));
        }
        benchmark::DoNotOptimize(provider.accessibility_batch_commit(owner, 0, 0));
    }
    per_item(state, state.range(0));
}
BENCHMARK(new_node_batch)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

void new_display_publish(benchmark::State& state)
{
    const std::vector<std::string> display_ids = ids(state.range(0), "display-");
    for (auto _ : state) {
        native_ui_host_provider provider(every_capability(), owner);
        provider.initialize(true, false, owner, 0, 0);
        for (const auto& id : display_ids) {
            benchmark::DoNotOptimize(
                provider.display_publish({id, 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, false}, owner));
        }
    }
    per_item(state, state.range(0));
}
BENCHMARK(new_display_publish)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
