// Cost of seeding a crowded world: every creature is placed by redrawing its spot until it
// overlaps nobody, and a try looks at the creatures near the spot only, so the cost per
// creature should stay level as the count grows, rising only with the tries a fuller world
// needs. `us_per_creature` is the CPU time of a seeding over the creatures it placed.

#include <benchmark/benchmark.h>

#include "base/cpu_time.h"

#include "world/population.h"
#include "world/world.h"

namespace kanimo {
namespace {

void BM_Seeding(benchmark::State& state) {
    const int population = static_cast<int>(state.range(0));
    double seconds = 0.0;
    for (auto _ : state) {
        World world;
        world.rng.srand(1);
        world.settings.initialPopulation = population;
        const double start = threadCpuSeconds();
        seedWorld(world);
        seconds += threadCpuSeconds() - start;
        benchmark::DoNotOptimize(world.creatures.size());
    }
    state.counters["us_per_creature"] =
        seconds * 1e6 / (static_cast<double>(population) * static_cast<double>(state.iterations()));
}

BENCHMARK(BM_Seeding)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
    ->Arg(16000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
} // namespace kanimo
