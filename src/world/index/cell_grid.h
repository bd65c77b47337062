#pragma once

#include <cmath>
#include <vector>

namespace kanimo {

// List indices bucketed by a point of theirs on a uniform grid of square cells over the
// world, so that a search walks the few cells under a rectangle instead of the whole list.
// A point outside the world, or not a number, falls into a border cell, so none is ever
// lost. A query hands out every index whose point lies in the rectangle, and others near
// it, once each and in no particular order: the caller applies the exact test and keeps
// its own order.
class CellGrid {
  public:
    // An empty grid over a world of the given side, with cells of at least `cellSize`.
    void reset(int worldSize, double cellSize);

    bool holds(int index) const {
        return index < static_cast<int>(cellOf_.size()) && cellOf_[index] >= 0;
    }
    // Puts the index at the point, first taking it out of its old cell if it has one.
    void place(int index, double x, double y);
    void remove(int index);

    template <class Visit>
    void query(double left, double top, double right, double bottom, Visit&& visit) const {
        const int c0 = column(left);
        const int c1 = column(right);
        const int r0 = column(top);
        const int r1 = column(bottom);
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                for (int i = first_[r * side_ + c]; i >= 0; i = next_[i]) visit(i);
            }
        }
    }

  private:
    int column(double v) const {
        if (!(v >= 0)) return 0;
        const double c = std::floor(v / cellSize_);
        return c < side_ ? static_cast<int>(c) : side_ - 1;
    }

    double cellSize_ = 1;
    int side_ = 1;              // cells along each axis
    std::vector<int> first_;    // per cell: an index in it, or -1
    std::vector<int> next_;     // per index: the next one in its cell, or -1
    std::vector<int> previous_; // per index: the one before it in its cell, or -1
    std::vector<int> cellOf_;   // per index: its cell, or -1 when it is not in the grid
};

} // namespace kanimo
