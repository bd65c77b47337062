#pragma once

#include "base/random.h"

namespace kanimo {

inline constexpr int genomeRows = 7;
inline constexpr int genomeColumns = 13;
inline constexpr int emptyCell = -1;

// A body plan: one row per limb, one column per segment counted from the body outwards.
// A cell holding -1 in `angles` is empty and ends its limb. A plain value, copied whole.
struct Genome {
    int limbCount = 0;
    int angles[genomeRows][genomeColumns];
    int kinds[genomeRows][genomeColumns];

    friend bool operator==(const Genome&, const Genome&) = default;
};

void randomGenome(Random& rng, Genome& g);

// Returns g with at most one angle or kind redrawn; always makes three draws, four when
// it changes a filled cell.
Genome mutate(Random& rng, Genome g);

} // namespace kanimo
