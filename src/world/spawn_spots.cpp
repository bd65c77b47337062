#include "world/spawn_spots.h"

#include <algorithm>

#include "base/geometry.h"
#include "creature/creature.h"

namespace kanimo {

namespace {

constexpr double spawnCell = 64;
// Far above the rounding of a distance in the world: the grid may hand out more than the
// exact test keeps, never less.
constexpr double margin = 1e-3;

} // namespace

void SpawnSpots::build(const std::vector<Creature*>& order, int worldSize) {
    grid_.reset(worldSize, spawnCell);
    creatures_.clear();
    largest_ = 0;
    for (const Creature* c : order) add(*c);
}

void SpawnSpots::add(const Creature& c) {
    grid_.place(static_cast<int>(creatures_.size()), c.pos.x, c.pos.y);
    creatures_.push_back(&c);
    largest_ = std::max(largest_, c.size);
}

int SpawnSpots::firstOverlap(double x, double y, double reserve, int from) const {
    const double reach = reserve + largest_ + spawnClearance - 2 + margin;
    int found = -1;
    grid_.query(x - reach, y - reach, x + reach, y + reach, [&](int i) {
        if (i < from || (found >= 0 && i > found)) return;
        const Creature& e = *creatures_[i];
        if (circlesOverlap(x, y, e.pos.x, e.pos.y, reserve, e.size + spawnClearance)) found = i;
    });
    return found;
}

} // namespace kanimo
