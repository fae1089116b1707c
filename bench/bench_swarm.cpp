// Cost of one swarm update at the smallest and largest particle settings.
#include <benchmark/benchmark.h>

#include "sim/random.h"
#include "sim/swarm.h"

static void BM_UpdateSwarm(benchmark::State& state) {
    const int32_t quantity = int32_t(state.range(0)) / 2;
    SeedRandom(12345);
    Swarm swarm{};
    SetUpSwarm(swarm, quantity, kDirectionUp, 9.95e-8f, 0.0891f, 1280, 720, kColourCycle);
    for (auto _ : state) {
        UpdateSwarm(swarm, 10000);
        benchmark::DoNotOptimize(swarm.wisps[0].position);
    }
    state.counters["per_wisp"] =
        benchmark::Counter(double(state.iterations()) * swarm.wispCount,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    ReleaseWisps(swarm);
}
BENCHMARK(BM_UpdateSwarm)->Arg(40)->Arg(240)->Unit(benchmark::kMicrosecond);
