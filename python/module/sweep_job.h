#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "report/seed_summary.h"
#include "world/settings.h"

namespace kanimo {

// A world's settings as a script asks for them: `scale` times wider (kanimo-sim's --scale),
// then each NAME=VALUE (its --set), in order. Returns an empty string, or one line saying
// what is wrong; a world that could not run is refused too.
std::string scriptSettings(int scale,
                           const std::vector<std::pair<std::string, std::string>>& values,
                           WorldSettings& settings);

// One run of a sweep: what --seeds prints of it and, when asked for, its record (a
// kanimo-sim --record database, as bytes).
struct SweepJobResult {
    SeedSummary summary;
    std::string record;
    std::string error; // why the run did not finish; empty when it did
};

// Runs one world of a sweep with the given settings. A stop asked for ends the run after its
// current step, with an error.
SweepJobResult runSweepJob(std::uint32_t seed, int steps, bool fast, const WorldSettings& settings,
                           bool record, const std::atomic<bool>& stop);

} // namespace kanimo
