#pragma once

#include <cstdint>
#include <cstdio>

namespace kanimo {

struct SimOptions;

// Runs one world as the options ask, writing states, the bench line and messages to
// `out` and `err`, and the stats and pictures to their files. `seed` is the seed to use,
// given or taken from the clock. Returns the exit status.
int runSingleWorld(const SimOptions& options, std::uint32_t seed, std::FILE* out, std::FILE* err);

} // namespace kanimo
