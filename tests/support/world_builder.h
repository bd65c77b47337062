#pragma once

// Helpers for tests that build small worlds by hand.

#include <memory>

#include "creature/creature.h"
#include "creature/tick.h"
#include "genetics/genome.h"
#include "world/population.h"
#include "world/world.h"

namespace kanimo::testing {

inline Genome emptyGenome() {
    Genome g;
    g.limbCount = 0;
    for (int r = 0; r < genomeRows; ++r) {
        for (int j = 0; j < genomeColumns; ++j) {
            g.angles[r][j] = emptyCell;
            g.kinds[r][j] = emptyCell;
        }
    }
    return g;
}

// A genome whose row r holds `lengths[r]` segments of the given angle and kind.
inline Genome uniformGenome(std::initializer_list<int> lengths, int angle, int kind) {
    Genome g = emptyGenome();
    int r = 0;
    for (int n : lengths) {
        for (int j = 0; j < n; ++j) {
            g.angles[r][j] = angle;
            g.kinds[r][j] = kind;
        }
        ++r;
    }
    g.limbCount = r + 1;
    return g;
}

// A seeded creature linked at the tail of the world, with no body.
inline Creature& addBodiless(World& world, Vec2 pos, double heading = 0.0) {
    return world.creatures.append(
        std::make_unique<Creature>(world.settings, world.rng, pos, heading, false));
}

// A seeded creature linked at the tail of the world, its body grown from `genome`.
inline Creature& addCreature(World& world, Vec2 pos, const Genome& genome, double heading = 0.0) {
    Creature& c = addBodiless(world, pos, heading);
    growBody(world.settings, c, genome);
    return c;
}

// A creature's tick as the contact pass gives it: with the world's rules, generator and
// budget, and the offspring made when it splits.
inline TickEnd tickInWorld(World& world, Creature& c) {
    const TickEnd end = creatureTick(world.settings, world.rng, world.boostBudget, c);
    if (end == TickEnd::split) reproduce(world, c);
    return end;
}

} // namespace kanimo::testing
