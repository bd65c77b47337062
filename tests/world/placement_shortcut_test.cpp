// Seeding and refilling look only at the creatures near a spot. These tests hold them
// against the placement walk written plainly, over the whole list, to the last draw.

#include <gtest/gtest.h>

#include <memory>

#include "support/same_world.h"
#include "support/world_builder.h"
#include "world/population.h"

namespace kanimo {
namespace {

// One creature placed as the rules state it: the spot is moved off each creature in list
// order, and a redraw is not tested again against those visited before.
void plainPlace(World& world, bool walk) {
    const int side = world.settings.worldSize + 1;
    double x = world.rng.random(side);
    double y = world.rng.random(side);
    const double heading = world.rng.random(360);
    const double reserve = world.settings.maxCreatureSize + 15;
    for (const Creature* e = world.creatures.head(); walk && e != nullptr; e = e->next) {
        while (circlesOverlap(x, y, e->pos.x, e->pos.y, reserve, e->size + 15)) {
            x = world.rng.random(side);
            y = world.rng.random(side);
        }
    }
    Creature& c = world.creatures.append(
        std::make_unique<Creature>(world.settings, world.rng, Vec2(x, y), heading, false));
    Genome genome;
    randomGenome(world.rng, genome);
    growBody(world.settings, c, genome);
}

void compareSeeding(std::uint32_t seed, int worldSize, int population, int added) {
    World fast, plain;
    for (World* w : {&fast, &plain}) {
        w->rng.srand(seed);
        w->settings.worldSize = worldSize;
        w->settings.initialPopulation = population;
    }
    seedWorld(fast);
    for (int i = 0; i < population || i == 0; ++i) plainPlace(plain, i > 0);
    // Some shrink, so that the room they keep differs.
    for (World* w : {&fast, &plain}) {
        int i = 0;
        for (Creature* c = w->creatures.head(); c != nullptr; c = c->next, ++i) c->size -= i % 13;
    }
    addCreatures(fast, added);
    for (int i = 0; i < added; ++i) plainPlace(plain, true);
    testing::expectSameWorld(fast, plain, 0);
}

TEST(PlacementShortcuts, MatchThePlainWalk) {
    compareSeeding(1, 600, 55, 10);
    compareSeeding(2, 250, 120, 30); // so crowded that most spots are redrawn many times
    compareSeeding(3, 1800, 495, 90);
    compareSeeding(4, 600, 1, 3);
    compareSeeding(5, 260, 9, 2); // a spot can overlap creatures on every side
}

} // namespace
} // namespace kanimo
