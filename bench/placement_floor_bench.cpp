// How close a whole run comes to the cost it cannot avoid: every segment placement of the
// limb pass takes the sine and cosine of an angle. The placement floor of a run is the
// number of placements it makes times the time of one sincos, and each workload reports
// its run time over that floor.
//
// The sincos time is measured here, in the same process, on the arguments the run's own
// placements use (a sample of them, recorded from an untimed replay of the run), each
// taken once in a tight loop. Both timings are thread CPU time, and each is the best of a
// few tries, so that a busy machine disturbs the ratio as little as possible.
//
//   kanimo_bench --benchmark_filter=PlacementFloor

#include <benchmark/benchmark.h>

#include "base/cpu_time.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "creature/creature.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

constexpr int tries = 3;

struct Workload {
    std::uint32_t seed;
    int steps;
    StepKind kind;
};

long long placementsOf(const World& world) {
    long long n = 0;
    for (const Creature* c : world.creatures) n += c->body.segmentCount();
    return n;
}

// Replays the run untimed: counts its placements (every segment of every creature in the
// list is placed once per step) and samples the angles they are placed along.
long long replay(const Workload& w, std::vector<double>& sample) {
    World world;
    world.rng.srand(w.seed);
    seedWorld(world);
    long long placements = 0;
    for (int k = 0; k < w.steps; ++k) {
        placements += placementsOf(world);
        if (k % 8 == 0) {
            for (const Creature* c : world.creatures) {
                for (int i = 0; i < c->body.segmentCount(); ++i) {
                    sample.push_back((c->body.segments()[i].angle - c->swing) * degreesToRadians);
                }
            }
        }
        takeStep(world, w.kind);
    }
    return placements;
}

double runSeconds(const Workload& w) {
    World world;
    world.rng.srand(w.seed);
    seedWorld(world);
    const double start = threadCpuSeconds();
    for (int k = 0; k < w.steps; ++k) takeStep(world, w.kind);
    return threadCpuSeconds() - start;
}

double sincosSeconds(const std::vector<double>& arguments) {
    double sum = 0;
    const double start = threadCpuSeconds();
    for (double a : arguments) {
        const double s = std::sin(a);
        const double c = std::cos(a);
        sum += s + c;
    }
    const double seconds = threadCpuSeconds() - start;
    benchmark::DoNotOptimize(sum);
    return seconds / static_cast<double>(arguments.size());
}

void BM_PlacementFloor(benchmark::State& state) {
    const Workload w{static_cast<std::uint32_t>(state.range(0)), static_cast<int>(state.range(1)),
                     state.range(2) != 0 ? StepKind::fast : StepKind::world};
    std::vector<double> sample;
    const long long placements = replay(w, sample);
    double run = INFINITY;
    double sincos = INFINITY;
    for (auto _ : state) {
        for (int t = 0; t < tries; ++t) {
            run = std::min(run, runSeconds(w));
            sincos = std::min(sincos, sincosSeconds(sample));
        }
    }
    const double floor = static_cast<double>(placements) * sincos;
    state.counters["run_s"] = run;
    state.counters["floor_s"] = floor;
    state.counters["ratio"] = run / floor;
    state.counters["sincos_ns"] = sincos * 1e9;
    state.counters["placements"] = static_cast<double>(placements);
}

BENCHMARK(BM_PlacementFloor)
    ->ArgNames({"seed", "steps", "fast"})
    ->Args({1, 20000, 0})
    ->Args({2, 20000, 0})
    ->Args({3, 20000, 0})
    ->Args({777, 3000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace kanimo
