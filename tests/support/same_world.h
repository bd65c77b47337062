#pragma once

// Bit-for-bit comparison of two worlds, for tests that hold one way of running a world
// against another.

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "creature/creature.h"
#include "world/world.h"

namespace kanimo::testing {

inline bool same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Compares two worlds built the same way, creature by creature and segment by segment.
inline void expectSameWorld(const World& a, const World& b, int step) {
    ASSERT_EQ(a.rng.low, b.rng.low) << step;
    ASSERT_EQ(a.rng.high, b.rng.high) << step;
    ASSERT_EQ(a.boostBudget, b.boostBudget) << step;
    const Creature* x = a.creatures.head();
    const Creature* y = b.creatures.head();
    for (int i = 0; x != nullptr && y != nullptr; ++i, x = x->next, y = y->next) {
        const double fx[] = {x->pos.x,  x->pos.y, x->heading,  x->swing,     x->size,     x->energy,
                             x->growth, x->speed, x->turnRate, x->turnDrive, x->lifeLeft, x->phase};
        const double fy[] = {y->pos.x,  y->pos.y, y->heading,  y->swing,     y->size,     y->energy,
                             y->growth, y->speed, y->turnRate, y->turnDrive, y->lifeLeft, y->phase};
        for (std::size_t f = 0; f < std::size(fx); ++f) {
            ASSERT_TRUE(same(fx[f], fy[f]))
                << "step " << step << " creature " << i << " field " << f;
        }
        ASSERT_EQ(x->partner == nullptr, y->partner == nullptr) << step << " " << i;
        ASSERT_EQ(x->body.segmentCount(), y->body.segmentCount());
        for (int s = 0; s < x->body.segmentCount(); ++s) {
            ASSERT_TRUE(same(x->body.segments()[s].pos.x, y->body.segments()[s].pos.x))
                << step << " " << i;
            ASSERT_TRUE(same(x->body.segments()[s].pos.y, y->body.segments()[s].pos.y))
                << step << " " << i;
        }
    }
    ASSERT_EQ(x == nullptr, y == nullptr) << step;
}

} // namespace kanimo::testing
