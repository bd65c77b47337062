#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "save/save.h"
#include "world/step.h"

namespace kanimo {

struct World;

// What kanimo-sim keeps beside a saved world, in sections of its own, for the run that goes
// on from it.
struct RunContinuation {
    // What the saved step did: a resumed --stats starts with the very row the unbroken run
    // wrote for that step.
    StepReport lastStep;
    // The seed of the run, for the record; a world saved by another program may not know it.
    std::optional<std::uint32_t> seed;
};

inline constexpr const char* lastStepSectionName = "kanimo-sim.last-step";
inline constexpr const char* seedSectionName = "kanimo-sim.seed";
// The family of the living (Ancestry::serialize), so that --tree goes on too.
inline constexpr const char* ancestrySectionName = "kanimo-sim.ancestry";

std::vector<SaveSection> runSections(const RunContinuation& run, const std::string& ancestry);

// Loads the saved world at `path` and what the run that saved it kept (births and deaths 0
// and no seed when the file does not hold them; no ancestry when it holds none). Returns an
// empty string, or the one-line message "cannot load 'PATH': REASON".
std::string loadRun(const std::string& path, World& world, RunContinuation& run,
                    std::optional<std::string>& ancestry);

// The same from the bytes of a save (encodeWorld with runSections); the reason, if any,
// names no file.
std::string decodeRun(std::string_view bytes, World& world, RunContinuation& run,
                      std::optional<std::string>& ancestry);

} // namespace kanimo
