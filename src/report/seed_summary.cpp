#include "report/seed_summary.h"

#include <chrono>
#include <cstdio>

#include "report/stats_csv.h"
#include "world/population.h"
#include "world/world.h"

namespace kanimo {

std::optional<SeedSummary> runSeed(std::uint32_t seed, int steps, bool fast,
                                   std::atomic<std::uint64_t>& stepsDone,
                                   const std::atomic<bool>& stop, const WorldSettings& settings,
                                   SeedRunWatcher* watcher, std::int64_t populationLimit) {
    using Clock = std::chrono::steady_clock;
    SeedSummary summary;
    summary.seed = seed;
    summary.steps = steps;
    World world(settings);
    world.rng.srand(seed);
    StepContext context(world, watcher, &stop);
    context.populationLimit = populationLimit;
    const StepKind kind = fast ? StepKind::fast : StepKind::world;
    long long k = 0;
    try {
        seedWorld(context);
        if (watcher != nullptr) {
            StepReport seeding;
            seeding.births = world.creatures.size();
            watcher->afterStep(world, 0, seeding);
        }
        const Clock::time_point start = Clock::now();
        for (k = 1; k <= steps; ++k) {
            const StepReport report = takeStep(context, kind);
            summary.births += report.births;
            summary.deaths += report.deaths;
            if (watcher != nullptr) watcher->afterStep(world, k, report);
            stepsDone.store(stepsDone.load(std::memory_order_relaxed) + 1,
                            std::memory_order_relaxed);
            if (stop.load(std::memory_order_relaxed)) return std::nullopt;
        }
        summary.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } catch (const PopulationLimitReached&) {
        throw SeedExploded(seed, k);
    } catch (const StepStopped&) {
        return std::nullopt;
    }
    summary.length = world.creatures.size();
    summary.living = takeCensus(world).living;
    return summary;
}

std::string formatSeedSummary(const SeedSummary& s) {
    const double perSecond = s.steps > 0 && s.seconds > 0 ? s.steps / s.seconds : 0.0;
    char line[160];
    std::snprintf(line, sizeof line,
                  "seed %u length %d living %d births %lld deaths %lld steps_per_second %.1f",
                  static_cast<unsigned>(s.seed), s.length, s.living, s.births, s.deaths, perSecond);
    return line;
}

} // namespace kanimo
