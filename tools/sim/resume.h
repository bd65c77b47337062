#pragma once

#include <string>

#include "save/save.h"
#include "world/step.h"

namespace kanimo {

struct World;

// kanimo-sim keeps, beside a saved world, what its last step did: a resumed --stats then
// starts with the very row the unbroken run wrote for that step.
inline constexpr const char* lastStepSectionName = "kanimo-sim.last-step";

SaveSection lastStepSection(const StepReport& report);

// Loads the saved world at `path` and the report of its last step (births and deaths 0
// when the file does not hold one). Returns an empty string, or the one-line message
// "cannot load 'PATH': REASON".
std::string loadRun(const std::string& path, World& world, StepReport& lastStep);

} // namespace kanimo
