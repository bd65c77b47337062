#include "world/spawn_spots.h"

#include <algorithm>
#include <cmath>

#include "base/geometry.h"
#include "creature/creature.h"

namespace kanimo {

namespace {

constexpr double spawnCell = 64;
// However big the world, the grid keeps to this many cells a side.
constexpr int widestSide = 1024;
// Far above the rounding of a distance in the world: the grid may hand out more than the
// exact test keeps, never less.
constexpr double margin = 1e-3;

} // namespace

// A point outside the world, or not a number, falls into a border cell, so none is lost.
int SpawnSpots::cellOf(double v) const {
    if (!(v >= 0)) return 0;
    const double c = std::floor(v / cellSize_);
    return c < side_ ? static_cast<int>(c) : side_ - 1;
}

void SpawnSpots::build(const std::vector<Creature*>& order, int worldSize) {
    const double extent = std::max(worldSize, 0) + 1.0;
    cellSize_ = std::max(spawnCell, extent / widestSide);
    side_ = std::clamp(static_cast<int>(std::ceil(extent / cellSize_)), 1, widestSide);
    cells_.assign(static_cast<std::size_t>(side_) * side_, {});
    creatures_.clear();
    largest_ = 0;
    for (const Creature* c : order) add(*c);
}

void SpawnSpots::add(const Creature& c) {
    const int index = static_cast<int>(creatures_.size());
    cells_[static_cast<std::size_t>(cellOf(c.pos.y)) * side_ + cellOf(c.pos.x)].push_back(index);
    creatures_.push_back(&c);
    largest_ = std::max(largest_, c.size);
}

int SpawnSpots::firstOverlap(double x, double y, double reserve, int from) const {
    const double reach = reserve + largest_ + spawnClearance - 2 + margin;
    const int c0 = cellOf(x - reach);
    const int c1 = cellOf(x + reach);
    const int r0 = cellOf(y - reach);
    const int r1 = cellOf(y + reach);
    int found = -1;
    for (int r = r0; r <= r1; ++r) {
        for (int col = c0; col <= c1; ++col) {
            const std::vector<int>& cell = cells_[static_cast<std::size_t>(r) * side_ + col];
            for (auto i = std::lower_bound(cell.begin(), cell.end(), from);
                 i != cell.end() && (found < 0 || *i < found); ++i) {
                const Creature& e = *creatures_[*i];
                if (circlesOverlap(x, y, e.pos.x, e.pos.y, reserve, e.size + spawnClearance)) {
                    found = *i;
                    break;
                }
            }
        }
    }
    return found;
}

} // namespace kanimo
