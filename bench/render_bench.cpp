#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <vector>

#include "creature/creature.h"
#include "render/background.h"
#include "render/creature_drawing.h"
#include "render/frame.h"
#include "render/picture.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

constexpr int worldSteps = 300;

// A world seeded with n creatures and run long enough for bodies to grow and limbs to
// spread. Built once per size and kept for every run of the benchmarks that use it.
const World& grownWorld(int n) {
    static std::map<int, std::unique_ptr<World>> worlds;
    std::unique_ptr<World>& slot = worlds[n];
    if (!slot) {
        slot = std::make_unique<World>();
        slot->rng.srand(20240601u + static_cast<unsigned>(n));
        slot->settings.initialPopulation = n;
        seedWorld(*slot);
        for (int i = 0; i < worldSteps; ++i) worldStep(*slot);
    }
    return *slot;
}

// A seeded world thins out in its first steps, so a frame of exactly n grown creatures is
// taken from several grown worlds drawn over one another: each part is drawn from `start`
// to the end of its world's list.
struct Crowd {
    struct Part {
        std::unique_ptr<World> world;
        const Creature* start;
    };
    std::vector<Part> parts;
};

const Crowd& grownCrowd(int n) {
    static std::map<int, Crowd> crowds;
    Crowd& crowd = crowds[n];
    if (crowd.parts.empty()) {
        int count = 0;
        for (unsigned seed = 1; count < n; ++seed) {
            auto w = std::make_unique<World>();
            w->rng.srand(seed);
            seedWorld(*w);
            for (int i = 0; i < worldSteps; ++i) worldStep(*w);
            const Creature* start = w->creatures.head();
            for (int length = w->creatures.size(); length > n - count; --length)
                start = start->next;
            for (const Creature* c = start; c != nullptr; c = c->next) ++count;
            crowd.parts.push_back(Crowd::Part{std::move(w), start});
        }
    }
    return crowd;
}

Picture framePicture() {
    Picture p;
    p.setSize(601, 601);
    return p;
}

void BM_PaintBackgroundGradient(benchmark::State& state) {
    Picture p = framePicture();
    for (auto _ : state) {
        paintBackground(p, false, 600);
        benchmark::DoNotOptimize(p.pixels());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PaintBackgroundGradient);

void BM_PaintBackgroundPlain(benchmark::State& state) {
    Picture p = framePicture();
    for (auto _ : state) {
        paintBackground(p, true, 600);
        benchmark::DoNotOptimize(p.pixels());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PaintBackgroundPlain);

void BM_DrawCreatures(benchmark::State& state) {
    const World& w = grownWorld(static_cast<int>(state.range(0)));
    Picture p = framePicture();
    paintBackground(p, false, w.settings.worldSize);
    for (auto _ : state) {
        drawCreatures(p, w.creatures.head(), w.settings.lifespan);
        benchmark::DoNotOptimize(p.pixels());
        benchmark::ClobberMemory();
    }
    state.counters["creatures"] = w.creatures.size();
}
BENCHMARK(BM_DrawCreatures)->Arg(55)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_ComposeFrame(benchmark::State& state) {
    const World& w = grownWorld(static_cast<int>(state.range(0)));
    Picture p = framePicture();
    for (auto _ : state) {
        composeFrame(p, w, false);
        benchmark::DoNotOptimize(p.pixels());
        benchmark::ClobberMemory();
    }
    state.counters["creatures"] = w.creatures.size();
}
BENCHMARK(BM_ComposeFrame)->Arg(55)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_ComposeCrowdedFrame(benchmark::State& state) {
    const Crowd& crowd = grownCrowd(static_cast<int>(state.range(0)));
    Picture p = framePicture();
    for (auto _ : state) {
        paintBackground(p, false, 600);
        for (const Crowd::Part& part : crowd.parts) {
            drawCreatures(p, part.start, part.world->settings.lifespan);
        }
        benchmark::DoNotOptimize(p.pixels());
        benchmark::ClobberMemory();
    }
    int count = 0;
    for (const Crowd::Part& part : crowd.parts) {
        for (const Creature* c = part.start; c != nullptr; c = c->next) ++count;
    }
    state.counters["creatures"] = count;
}
BENCHMARK(BM_ComposeCrowdedFrame)->Arg(55)->Arg(500)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kanimo
