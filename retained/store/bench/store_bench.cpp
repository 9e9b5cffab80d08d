// Staging cost per record as deltas grow: the staged-list search must stay constant-time.

#include "retained/store/retained_resource_store.h"

#include <benchmark/benchmark.h>

namespace {

render_clip bench_clip(std::int32_t n)
{
    render_clip clip;
    clip.id = "clip-" + std::to_string(n);
    clip.width = 10;
    clip.height = 10;
    return clip;
}

// Stages a delta of state.range(0) distinct clips into one report.
void stage_distinct_clips(benchmark::State& state)
{
    const auto count = static_cast<std::int32_t>(state.range(0));
    std::vector<render_clip> clips;
    for (std::int32_t i = 0; i < count; ++i) {
        clips.push_back(bench_clip(i));
    }
    const retained_resource_store store("bench");
    for (auto _ : state) {
        preflight_report report("owner", 1);
        resource_index_set scratch(1);
        for (const render_clip& clip : clips) {
            benchmark::DoNotOptimize(store.stage_clip(report, scratch, clip));
        }
        benchmark::DoNotOptimize(report.staged_clips.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["ns_per_record"] = benchmark::Counter(static_cast<double>(state.iterations()) * count,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(stage_distinct_clips)->Arg(1024)->Arg(65536)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
