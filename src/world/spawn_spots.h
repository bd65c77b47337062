#pragma once

#include <vector>

namespace kanimo {

struct Creature;

// Room a new creature keeps from each creature already there, on both radii.
inline constexpr int spawnClearance = 15;

// The creatures a new one is placed clear of, by position on a grid of square cells, so
// that a placement looks only at those near its spot instead of walking the whole list.
// Each cell holds its creatures in list order, so that the first one from a place in the
// list on is found without looking at those before it: a try costs about the same however
// crowded the world, and a placement as many tries as its rule needs.
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
    int cellOf(double v) const;

    double cellSize_ = 1;
    int side_ = 1;                        // cells along each axis
    std::vector<std::vector<int>> cells_; // per cell: list indices, rising
    std::vector<const Creature*> creatures_;
    double largest_ = 0; // no creature here is bigger
};

} // namespace kanimo
