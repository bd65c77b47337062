#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "world/settings.h"
#include "world/step.h"
#include "world/step_context.h"
#include "world/step_events.h"

namespace kanimo {

struct World;

// How one world of a batch of seeds ended.
struct SeedSummary {
    std::uint32_t seed = 0;
    int steps = 0;
    int length = 0;
    int living = 0;
    long long births = 0; // over the steps, the seeded creatures not included
    long long deaths = 0;
    double seconds = 0.0; // time spent in the steps
};

// What a caller may follow of runSeed's world besides its summary: the births, deaths and
// removals as the seeding and the steps make them, and the world after the seeding (step 0,
// whose births are the seeded creatures) and after every step. It must not change the world.
class SeedRunWatcher : public StepObserver {
  public:
    virtual void afterStep(const World& world, long long step, const StepReport& report) {
        (void)world;
        (void)step;
        (void)report;
    }
};

// A world of a batch that passed its population limit: the seed, and the step it was in
// (0 while seeding).
struct SeedExploded : std::runtime_error {
    std::uint32_t seed;
    long long step;
    SeedExploded(std::uint32_t seed_, long long step_)
        : std::runtime_error("seed " + std::to_string(seed_) + " exploded"), seed(seed_),
          step(step_) {}
};

// Seeds a world with the given settings and runs it. Adds one to `stepsDone` after every
// step, for a thread that watches the progress; only the running thread may write it.
// Gives up as soon as `stop` is set, in the middle of the seeding or of a step too,
// returning nothing. A world whose population passes `populationLimit` throws
// SeedExploded.
std::optional<SeedSummary>
runSeed(std::uint32_t seed, int steps, bool fast, std::atomic<std::uint64_t>& stepsDone,
        const std::atomic<bool>& stop, const WorldSettings& settings = WorldSettings{},
        SeedRunWatcher* watcher = nullptr, std::int64_t populationLimit = defaultPopulationLimit);

// "seed <S> length <n> living <n> births <n> deaths <n> steps_per_second <v>"
std::string formatSeedSummary(const SeedSummary& summary);

} // namespace kanimo
