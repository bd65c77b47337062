#include "creature/reproduction.h"

#include "creature/creature.h"
#include "world/world.h"

namespace kanimo {

void reproduce(World& world, Creature& parent) {
    findListTail(world);
    const Genome mutated = mutate(world.rng, parent.genome);
    linkAtTail(world, new Creature(world, parent.pos, mutated));
    linkAtTail(world, new Creature(world, parent.pos, parent.genome));
    linkAtTail(world, new Creature(world, parent.pos, parent.genome));
}

} // namespace kanimo
