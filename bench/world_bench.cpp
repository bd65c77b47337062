// Cost of the world step and of its contact pass as the population grows.
//
// A world changes as it runs: creatures die, are culled and are born, so a benchmark
// that kept stepping one world would measure a different population at every iteration
// count. Each benchmark therefore steps one world for `stepsPerWorld` iterations and then
// replaces it with a fresh one, seeded with the benchmark's population outside the
// timing. A crowded world still thins out fast once the cull runs (2000 seeded creatures
// are about 520 after ten full steps), so the counters report the population actually
// stepped: `creatures` is the mean list length before each step, and `ns_per_pair` the
// CPU time of the steps over the sum of n * (n - 1), the pass being quadratic in n.

#include <benchmark/benchmark.h>

#include "base/cpu_time.h"

#include <memory>

#include "world/contact.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

constexpr int stepsPerWorld = 10;

std::unique_ptr<World> freshWorld(int population) {
    auto world = std::make_unique<World>();
    world->rng.srand(1);
    world->settings.initialPopulation = population;
    seedWorld(*world);
    return world;
}

void benchSteps(benchmark::State& state, bool fullStep) {
    const int population = static_cast<int>(state.range(0));
    std::unique_ptr<World> world;
    int stepsOnWorld = stepsPerWorld;
    double pairs = 0.0;
    double creatures = 0.0;
    // CPU time of the steps alone, for the per-pair figure; rebuilding is left out as it
    // is from the benchmark's own timing.
    double stepSeconds = 0.0;
    double since = threadCpuSeconds();
    for (auto _ : state) {
        if (stepsOnWorld == stepsPerWorld) {
            stepSeconds += threadCpuSeconds() - since;
            state.PauseTiming();
            world.reset();
            world = freshWorld(population);
            stepsOnWorld = 0;
            state.ResumeTiming();
            since = threadCpuSeconds();
        }
        const double n = world->creatures.size();
        if (fullStep) {
            worldStep(*world);
        } else {
            contactPass(*world);
        }
        ++stepsOnWorld;
        pairs += n * (n - 1);
        creatures += n;
    }
    stepSeconds += threadCpuSeconds() - since;
    state.SetItemsProcessed(state.iterations());
    state.counters["creatures"] = creatures / static_cast<double>(state.iterations());
    state.counters["ns_per_pair"] = pairs > 0 ? stepSeconds * 1e9 / pairs : 0.0;
}

void BM_ContactPass(benchmark::State& state) {
    benchSteps(state, false);
}
void BM_WorldStep(benchmark::State& state) {
    benchSteps(state, true);
}

BENCHMARK(BM_ContactPass)->Arg(55)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WorldStep)->Arg(55)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kanimo
