// How the cost of a world step grows with the world, at the same density, and how fast
// mode keeps up as its dead pile up.
//
// BM_ScaledWorld seeds a world K times wider than the default one, with K^2 times the
// creatures (as kanimo-sim --scale K), and times a few hundred world steps after the
// seeding, the same run several times over for the small worlds. `us_per_creature` is the
// thread CPU time of the steps over the sum of the list lengths they started from: flat in
// K when a step costs the same per creature however big the world.
//
// BM_FastAgainstWorld times a run of fast steps against a run of world steps from the
// same seed; `ratio` is the first over the second.
//
//   kanimo_bench --benchmark_filter='ScaledWorld|FastAgainstWorld'

#include <benchmark/benchmark.h>

#include "base/cpu_time.h"

#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

void BM_ScaledWorld(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const int steps = static_cast<int>(state.range(1));
    // A small world's run is over in milliseconds, so it is taken many times over for a
    // figure that one slow moment of the machine does not sway.
    const int repeats = static_cast<int>(state.range(2));
    double seconds = 0;
    double creatureSteps = 0;
    for (auto _ : state) {
        for (int r = 0; r < repeats; ++r) {
            World world(scaledSettings(k));
            world.rng.srand(1);
            seedWorld(world);
            for (int i = 0; i < steps; ++i) {
                creatureSteps += world.creatures.size();
                const double start = threadCpuSeconds();
                worldStep(world);
                seconds += threadCpuSeconds() - start;
            }
        }
    }
    const double runs = static_cast<double>(state.iterations()) * repeats;
    state.counters["creatures"] = creatureSteps / (runs * steps);
    state.counters["us_per_creature"] = seconds * 1e6 / creatureSteps;
    state.counters["steps_per_s"] = runs * steps / seconds;
}

double runSeconds(std::uint32_t seed, int steps, StepKind kind) {
    World world;
    world.rng.srand(seed);
    seedWorld(world);
    const double start = threadCpuSeconds();
    for (int i = 0; i < steps; ++i) takeStep(world, kind);
    return threadCpuSeconds() - start;
}

void BM_FastAgainstWorld(benchmark::State& state) {
    const auto seed = static_cast<std::uint32_t>(state.range(0));
    const int steps = static_cast<int>(state.range(1));
    double world = 0;
    double fast = 0;
    for (auto _ : state) {
        world = runSeconds(seed, steps, StepKind::world);
        fast = runSeconds(seed, steps, StepKind::fast);
    }
    state.counters["world_s"] = world;
    state.counters["fast_s"] = fast;
    state.counters["ratio"] = fast / world;
}

BENCHMARK(BM_ScaledWorld)
    ->ArgNames({"scale", "steps", "runs"})
    ->Args({1, 300, 400})
    ->Args({4, 300, 40})
    ->Args({16, 300, 2})
    ->Args({32, 300, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

BENCHMARK(BM_FastAgainstWorld)
    ->ArgNames({"seed", "steps"})
    ->Args({1, 100000})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace kanimo
