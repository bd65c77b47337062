#pragma once

#include <vector>

#include "world/index/cell_grid.h"

namespace kanimo {

struct Creature;

// Room a new creature keeps from each creature already there, on both radii.
inline constexpr int spawnClearance = 15;

// The creatures a new one is placed clear of, by position on a grid, so that a placement
// looks only at those near its spot instead of walking the whole list.
class SpawnSpots {
  public:
    // Takes in the list, head first.
    void build(const std::vector<Creature*>& order, int worldSize);
    // A creature just appended to the list.
    void add(const Creature& c);
    // The first creature, at list index `from` or later, that a spot at (x, y) with room
    // `reserve` overlaps, or -1.
    int firstOverlap(double x, double y, double reserve, int from) const;

  private:
    CellGrid grid_;
    std::vector<const Creature*> creatures_;
    double largest_ = 0; // no creature here is bigger
};

} // namespace kanimo
