#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "options/options.h"
#include "world/settings.h"

namespace kanimo {

// How one world of a batch ended.
struct SeedSummary {
    std::uint32_t seed = 0;
    int steps = 0;
    int length = 0;
    int living = 0;
    long long births = 0; // over the steps, the seeded creatures not included
    long long deaths = 0;
    double seconds = 0.0; // time spent in the steps
};

// Seeds a world with the given settings and runs it. Adds one to `stepsDone` after every
// step, for a thread that watches the progress; only the running thread may write it.
// Gives up as soon as `stop` is set, in the middle of the seeding or of a step too,
// returning nothing. A world whose population passes `populationLimit` is a failure:
// std::runtime_error, with a line that names the seed.
std::optional<SeedSummary> runSeed(std::uint32_t seed, int steps, bool fast,
                                   std::atomic<std::uint64_t>& stepsDone,
                                   const std::atomic<bool>& stop,
                                   const WorldSettings& settings = WorldSettings{},
                                   long long populationLimit = defaultSimPopulationLimit);

// "seed <S> length <n> living <n> births <n> deaths <n> steps_per_second <v>"
std::string formatSeedSummary(const SeedSummary& summary);

// Runs the worlds of --seeds side by side and prints their summaries in seed order, each
// as soon as it and those before it are done. Returns the exit status: 1 when a write,
// a thread or memory fails. After a stop signal it returns early, the summaries of the
// worlds that finished printed.
int runSeedBatch(const SimOptions& options, std::FILE* out, std::FILE* err);

} // namespace kanimo
