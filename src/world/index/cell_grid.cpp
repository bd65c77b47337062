#include "world/index/cell_grid.h"

#include <algorithm>

namespace kanimo {

namespace {

// However big the world, a grid keeps to this many cells a side, so that clearing it stays
// cheap next to the pass it serves.
constexpr int widestSide = 1024;

} // namespace

void CellGrid::reset(int worldSize, double cellSize) {
    const double extent = std::max(worldSize, 0) + 1.0;
    cellSize_ = std::max(cellSize, extent / widestSide);
    side_ = std::clamp(static_cast<int>(std::ceil(extent / cellSize_)), 1, widestSide);
    first_.assign(static_cast<std::size_t>(side_) * side_, -1);
    next_.clear();
    previous_.clear();
    cellOf_.clear();
}

void CellGrid::place(int index, double x, double y) {
    if (index >= static_cast<int>(cellOf_.size())) {
        next_.resize(index + 1, -1);
        previous_.resize(index + 1, -1);
        cellOf_.resize(index + 1, -1);
    }
    const int cell = column(y) * side_ + column(x);
    if (cellOf_[index] == cell) return;
    remove(index);
    cellOf_[index] = cell;
    previous_[index] = -1;
    next_[index] = first_[cell];
    if (next_[index] >= 0) previous_[next_[index]] = index;
    first_[cell] = index;
}

void CellGrid::remove(int index) {
    if (!holds(index)) return;
    const int cell = cellOf_[index];
    if (previous_[index] >= 0) {
        next_[previous_[index]] = next_[index];
    } else {
        first_[cell] = next_[index];
    }
    if (next_[index] >= 0) previous_[next_[index]] = previous_[index];
    cellOf_[index] = -1;
}

} // namespace kanimo
