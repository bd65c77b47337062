#pragma once

#include <cstddef>
#include <vector>

#include "creature/creature.h"
#include "world/world.h"

namespace kanimo {

// Every creature of the world in list order, the order they are drawn in: the Lab's one
// walk of the list. It walks the list's array and asks for the records some way ahead, the
// first line and the lineage's, so that a big world's creatures, far more than the caches
// hold, are not waited for one after the other.
template <typename Visit> void forEachCreature(World& world, Visit&& visit) {
    const std::vector<Creature*>& order = world.creatures.inOrder();
    constexpr std::size_t ahead = 8;
    const std::size_t n = order.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i + ahead < n) {
            __builtin_prefetch(order[i + ahead]);
            __builtin_prefetch(&order[i + ahead]->lineage);
        }
        visit(*order[i]);
    }
}

} // namespace kanimo
