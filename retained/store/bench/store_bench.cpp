// Costs per record and per command as items grow: staging, binding and updating
// must stay linear in the size of the item.

#include "retained/store/retained_prepared_admission.h"
#include "retained/store/retained_prepared_candidate_batch.h"
#include "retained/store/retained_resource_store.h"

#include <benchmark/benchmark.h>

#include <cstring>

#ifdef __GLIBC__
#include <malloc.h>
#endif

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
        benchmark::DoNotOptimize(report.staged_clips.records().data());
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["ns_per_record"] = benchmark::Counter(static_cast<double>(state.iterations()) * count,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(stage_distinct_clips)->Arg(1024)->Arg(65536)->Unit(benchmark::kMillisecond);

// An owner whose every command uses a paint, a clip and a transform of its own delta.
struct bench_item {
    owner_fragment fragment;
    resource_delta delta;
};

bench_item owner_item(std::int32_t owner, std::int32_t commands, std::int32_t generation)
{
    bench_item item;
    const std::string id = "owner-" + std::to_string(owner);
    item.delta.surface = "bench";
    item.fragment.owner_id = id;
    item.fragment.generation = generation;
    item.fragment.layout = {0, 0, 100, 100};
    item.fragment.ink = {0, 0, 100, 100};
    item.fragment.dependencies = {"k1", "k2", "k3", "k4", "k5", "source"};
    item.fragment.source = "bench";
    for (std::int32_t i = 0; i < commands; ++i) {
        const std::string suffix = id + "-" + std::to_string(i);
        render_paint paint;
        paint.id = "paint-" + suffix;
        paint.alpha = 255;
        paint.opacity = 100;
        item.delta.paints.push_back(paint);
        render_clip clip = bench_clip(i);
        clip.id = "clip-" + suffix;
        item.delta.clips.push_back(clip);
        render_transform transform;
        transform.id = "transform-" + suffix;
        transform.scale_x = transform.scale_y = 100;
        item.delta.transforms.push_back(transform);

        render_command command;
        command.sequence = owner * 4096 + i;
        command.owner = id;
        command.kind = "rect";
        command.paint_id = paint.id;
        command.clip_id = clip.id;
        command.transform_id = transform.id;
        item.fragment.commands.push_back(command);
    }
    return item;
}

void set_per_command(benchmark::State& state, std::int64_t commands)
{
    state.SetItemsProcessed(state.iterations() * commands);
    state.counters["per_command"] = benchmark::Counter(static_cast<double>(state.iterations() * commands),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Binds new owners of state.range(0) commands; a fresh store replaces a full one
// outside the timing.
void submit_bind_commands(benchmark::State& state)
{
    const auto commands = static_cast<std::int32_t>(state.range(0));
    const std::int32_t per_store = 65536 / (3 * commands);
    std::vector<bench_item> items;
    for (std::int32_t owner = 0; owner < per_store; ++owner) {
        items.push_back(owner_item(owner, commands, 1));
    }
    auto store = std::make_unique<retained_resource_store>("bench");
    std::int32_t next = 0;
    for (auto _ : state) {
        if (next == per_store) {
            state.PauseTiming();
            store = std::make_unique<retained_resource_store>("bench");
            next = 0;
            state.ResumeTiming();
        }
        const bench_item& item = items[static_cast<std::size_t>(next++)];
        const operation_outcome outcome = store->submit_bind(item.fragment, item.delta, store->revision());
        if (!outcome.ok) {
            state.SkipWithError(outcome.message.c_str());
            break;
        }
    }
    set_per_command(state, commands);
}
BENCHMARK(submit_bind_commands)->Arg(64)->Arg(4096)->Unit(benchmark::kMicrosecond);

void check_bind_commands(benchmark::State& state)
{
    const auto commands = static_cast<std::int32_t>(state.range(0));
    const bench_item item = owner_item(0, commands, 1);
    retained_resource_store store("bench");
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.check_bind(item.fragment, item.delta, 0));
    }
    set_per_command(state, commands);
}
BENCHMARK(check_bind_commands)->Arg(4096)->Unit(benchmark::kMicrosecond);

// Updates one bound owner of state.range(0) commands with a newer generation; its
// delta's resources are known and compared, not staged again.
void submit_update_commands(benchmark::State& state)
{
    const auto commands = static_cast<std::int32_t>(state.range(0));
    retained_resource_store store("bench");
    bench_item item = owner_item(0, commands, 1);
    if (!store.submit_bind(item.fragment, item.delta, 0).ok) {
        state.SkipWithError("bind failed");
        return;
    }
    for (auto _ : state) {
        ++item.fragment.generation;
        const operation_outcome outcome = store.submit_update(item.fragment, item.delta, store.revision());
        if (!outcome.ok) {
            state.SkipWithError(outcome.message.c_str());
            break;
        }
    }
    set_per_command(state, commands);
}
BENCHMARK(submit_update_commands)->Arg(64)->Arg(4096)->Unit(benchmark::kMicrosecond);

// Prepares and commits one batch of state.range(0) one-command updates of bound owners.
void candidate_batch_updates(benchmark::State& state)
{
    const auto count = static_cast<std::int32_t>(state.range(0));
    retained_resource_store store("bench");
    std::vector<owner_fragment> fragments;
    for (std::int32_t owner = 0; owner < count; ++owner) {
        bench_item item = owner_item(owner, 1, 1);
        if (!store.submit_bind(item.fragment, item.delta, store.revision()).ok) {
            state.SkipWithError("bind failed");
            return;
        }
        fragments.push_back(std::move(item.fragment));
    }
    resource_delta empty;
    empty.surface = "bench";
    const std::vector<resource_delta> deltas(fragments.size(), empty);
    for (auto _ : state) {
        for (owner_fragment& fragment : fragments) {
            ++fragment.generation;
        }
        const auto batch = store.prepare_candidate_batch(fragments, deltas, store.revision());
        const operation_outcome outcome = store.commit_prepared_candidate_batch(batch, fragments, deltas);
        if (!outcome.ok) {
            state.SkipWithError(outcome.message.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["per_item"] = benchmark::Counter(static_cast<double>(state.iterations() * count),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(candidate_batch_updates)->Arg(64)->Arg(4096)->Unit(benchmark::kMicrosecond);

constexpr std::int32_t admission_images = 16;

// Hands freed heap memory back to the system, where the allocator can.
void return_free_memory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// Keeps freed memory in the process from now on: no trimming, and payload-sized
// blocks from the heap rather than from mappings of their own.
void keep_free_memory()
{
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

// An owner drawing 16 ready 512 x 512 images that its delta brings: 32 MiB of hex.
bench_item image_item()
{
    bench_item item = owner_item(0, 0, 1);
    for (std::int32_t i = 0; i < admission_images; ++i) {
        render_image image;
        image.id = "image-" + std::to_string(i);
        image.kind = "image";
        image.generation = 1;
        image.width = image.height = 512;
        image.sizeBytes = 512 * 512 * 4;
        image.format = "bgra8-hex";
        image.colorSpace = "srgb";
        image.alphaMode = "straight";
        image.state = "ready";
        image.resident = true;
        image.content_identity = "content-" + image.id;
        image.payload.assign(static_cast<std::size_t>(image.sizeBytes) * 2, "0123456789abcdef"[i]);
        image.source = "bench";
        item.delta.images.push_back(std::move(image));

        render_command command;
        command.sequence = i;
        command.owner = item.fragment.owner_id;
        command.kind = "image";
        command.resource_id = "image-" + std::to_string(i);
        command.image_generation = 1;
        item.fragment.commands.push_back(command);
    }
    return item;
}

std::int64_t payload_bytes(const bench_item& item)
{
    std::int64_t bytes = 0;
    for (const render_image& image : item.delta.images) {
        bytes += static_cast<std::int64_t>(image.payload.size());
    }
    return bytes;
}

// Prepares and commits the image owner's bind into a fresh store. Store and
// admission are dropped outside the timing. Cold (argument 0): their memory goes
// back to the system, so like the cold yardstick every iteration writes into
// fresh pages. Warm (argument 1, run last): the allocator is told to keep freed
// memory, as in a process whose heap has grown to its working size, to compare
// with the warm yardstick.
void image_admission(benchmark::State& state)
{
    const bool warm = state.range(0) == 1;
    if (warm) {
        keep_free_memory();
    }
    const bench_item item = image_item();
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<retained_resource_store>("bench");
        state.ResumeTiming();
        auto admission = store->prepare_bind_admission(item.fragment, item.delta, 0);
        const operation_outcome outcome = store->commit_bind_admission(admission, item.fragment, item.delta);
        if (!outcome.ok) {
            state.SkipWithError(outcome.message.c_str());
            break;
        }
        state.PauseTiming();
        admission.reset();
        store.reset();
        if (!warm) {
            return_free_memory();
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * payload_bytes(item));
}
BENCHMARK(image_admission)->Arg(0)->Unit(benchmark::kMillisecond);

// The yardstick of the image admission: one copy of all its payload bytes.
void image_payload_memcpy(benchmark::State& state)
{
    const bench_item item = image_item();
    std::vector<std::string> copies(item.delta.images.size());
    for (std::size_t i = 0; i < copies.size(); ++i) {
        copies[i].assign(item.delta.images[i].payload.size(), ' ');
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < copies.size(); ++i) {
            std::memcpy(copies[i].data(), item.delta.images[i].payload.data(), copies[i].size());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * payload_bytes(item));
}
BENCHMARK(image_payload_memcpy)->Unit(benchmark::kMillisecond);

// The cold yardstick: one copy of all payload bytes into strings allocated in the
// iteration, as the store's rows are. The freed memory goes back to the system
// before the next iteration, so every copy also pays for fresh pages.
void image_payload_cold_copy(benchmark::State& state)
{
    const bench_item item = image_item();
    for (auto _ : state) {
        std::vector<std::string> copies;
        copies.reserve(item.delta.images.size());
        for (const render_image& image : item.delta.images) {
            copies.push_back(image.payload);
        }
        benchmark::DoNotOptimize(copies.data());
        benchmark::ClobberMemory();
        state.PauseTiming();
        copies = {};
        return_free_memory();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * payload_bytes(item));
}
BENCHMARK(image_payload_cold_copy)->Unit(benchmark::kMillisecond);

// Changes the allocator for the rest of the process, so it runs after the others.
BENCHMARK(image_admission)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
