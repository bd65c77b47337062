#pragma once

#include "world/step_context.h"

namespace kanimo {

struct World;
class StepObserver;

// What one step did to its world.
struct StepReport {
    int population = 0; // creatures the cull kept (for a fast step, the last cull's count)
    int births = 0;     // creatures appended: offspring, refills, a reseeded world
    int deaths = 0;     // creatures the cull removed
};

enum class StepKind {
    world, // the run loop's world step: contact pass, cull, refill
    fast,  // the fast mode's step: the contact pass alone, so nothing is ever removed
};

// One step of the world. An observer, when given, is told of every birth, death and
// removal as it happens; without one the step records nothing.
StepReport worldStep(World& world, StepObserver* observer = nullptr);
StepReport fastStep(World& world, StepObserver* observer = nullptr);
StepReport takeStep(World& world, StepKind kind, StepObserver* observer = nullptr);

// The same, with what may end the step early (see StepContext): throws StepStopped then.
StepReport worldStep(StepContext step);
StepReport fastStep(StepContext step);
StepReport takeStep(StepContext step, StepKind kind);

} // namespace kanimo
