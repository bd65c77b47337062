#pragma once

#include "creature/creature.h"
#include "world/world.h"

namespace kanimo {

// Every creature of the world in list order, the order they are drawn in. The Lab's one
// walk of the list.
template <typename Visit> void forEachCreature(const World& world, Visit&& visit) {
    for (const Creature* c = world.listHead; c != nullptr; c = c->next) visit(*c);
}

} // namespace kanimo
