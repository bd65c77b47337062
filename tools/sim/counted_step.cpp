#include "counted_step.h"

#include "creature/creature.h"
#include "world/contact.h"
#include "world/population.h"
#include "world/world.h"

namespace kanimo {

// Births and deaths come from list lengths taken between the three parts of the step,
// which works because each part only ever does one of the two: the contact pass only
// appends (offspring), the cull only removes, and the refill only appends (it reseeds
// only a list the cull has left empty). Tracking creatures by address instead would
// miscount, because a refill may reuse the memory of a creature the cull has just freed.
// The parts are called in the order worldStep calls them; a test holds the two equal.
StepCounts countedWorldStep(World& world) {
    StepCounts counts;
    const int before = listLength(world);
    contactPass(world, world.listHead);
    const int afterContact = listLength(world);
    cullPass(world, world.listHead);
    const int afterCull = listLength(world);
    refillWorld(world);
    const int afterRefill = listLength(world);
    counts.births = (afterContact - before) + (afterRefill - afterCull);
    counts.deaths = afterContact - afterCull;
    return counts;
}

StepCounts countedFastStep(World& world) {
    StepCounts counts;
    const int before = listLength(world);
    contactPass(world, world.listHead);
    counts.births = listLength(world) - before;
    return counts;
}

int livingCount(const World& world) {
    int living = 0;
    for (const Creature* c = world.listHead; c != nullptr; c = c->next) {
        if (c->energy > 0) ++living;
    }
    return living;
}

} // namespace kanimo
