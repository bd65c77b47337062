#pragma once

namespace kanimo {

struct World;

// Creatures that came and went in one step.
struct StepCounts {
    int births = 0; // creatures appended: offspring, refills, a reseeded world
    int deaths = 0; // creatures removed by the cull
};

// One world step, exactly the run loop's (contact pass, cull, refill), with its births and
// deaths counted on the way.
StepCounts countedWorldStep(World& world);

// The fast mode's step: the contact pass alone. Nothing is removed, so no deaths.
StepCounts countedFastStep(World& world);

// A creature is alive while it has energy. The simulation's own dead test is not used
// for counting because applying it shrinks the dead.
int livingCount(const World& world);

} // namespace kanimo
