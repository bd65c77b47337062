#pragma once

#include <cstddef>
#include <vector>

#include "creature/creature.h"
#include "creature/fetch_ahead.h"

namespace kanimo {

// Calls `visit` on each creature of `order` in turn, asking for the first line of one some
// way ahead, so that a walk of a big world does not wait for every creature it reaches.
template <class Visit>
void walkInOrder(const std::vector<Creature*>& order, Visit&& visit) {
    constexpr std::size_t ahead = 32;
    const std::size_t n = order.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i + ahead < n) fetchListEntry(*order[i + ahead]);
        visit(*order[i]);
    }
}

} // namespace kanimo
