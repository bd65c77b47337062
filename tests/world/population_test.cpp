#include "world/population.h"

#include <gtest/gtest.h>

#include <unordered_set>

#include "creature/tick.h"
#include "support/world_builder.h"
#include "world/step.h"

namespace kanimo {
namespace {

using testing::addBodiless;

TEST(Population, SeedWorldMakesTheInitialPopulation) {
    World world;
    world.rng.srand(12345);
    world.population = 3;
    seedWorld(world);
    EXPECT_EQ(world.creatures.size(), 55);
    Creature* last = world.creatures.head();
    while (last->next != nullptr) last = last->next;
    EXPECT_EQ(world.creatures.tail(), last);
    EXPECT_EQ(world.population, 3); // only a cull counts
    for (const Creature* c : world.creatures) {
        EXPECT_NE(c->body.firstLimb(), nullptr);
        EXPECT_FALSE(c->marked);
        EXPECT_GE(c->pos.x, 0);
        EXPECT_LE(c->pos.x, 600);
    }
    // A placement is clear at least of the creature visited last before it was made.
    for (const Creature* c = world.creatures.head(); c->next != nullptr; c = c->next) {
        const Creature* n = c->next;
        EXPECT_GT(distance(c->pos.x, c->pos.y, n->pos.x, n->pos.y), 5.0 + 53);
    }
}

// Placement draws first, then the constructor's draws, then the genome of the body.
TEST(Population, FirstCreatureDrawsInOrder) {
    World world;
    world.rng.srand(77);
    world.settings.initialPopulation = 1;
    Random replay = world.rng;
    const int x = replay.random(601);
    const int y = replay.random(601);
    const int h = replay.random(360);
    Genome discarded;
    randomGenome(replay, discarded);
    const int phaseSeed = replay.rand();
    Genome body;
    randomGenome(replay, body);

    seedWorld(world);
    ASSERT_EQ(world.creatures.size(), 1);
    const Creature& c = *world.creatures.head();
    EXPECT_EQ(c.pos.x, x);
    EXPECT_EQ(c.pos.y, y);
    EXPECT_EQ(c.heading, h);
    EXPECT_EQ(c.phaseSeed, phaseSeed);
    EXPECT_EQ(c.genome, body);
    EXPECT_EQ(world.rng.low, replay.low);
    EXPECT_EQ(world.rng.high, replay.high);
}

TEST(Population, CullRemovesTheShrunkDeadAndTheDoomed) {
    World world;
    Creature& alive = addBodiless(world, Vec2(100, 100));
    Creature& almostGone = addBodiless(world, Vec2(200, 100));
    almostGone.energy = 0;
    almostGone.size = 0.1;
    Creature& stillShrinking = addBodiless(world, Vec2(300, 100));
    stillShrinking.energy = 0;
    stillShrinking.size = 0.3;
    Creature& doomed = addBodiless(world, Vec2(400, 100));
    doomed.doomed = true;
    (void)doomed;

    cullPass(world);
    EXPECT_EQ(world.population, 2);
    EXPECT_EQ(world.creatures.size(), 2);
    EXPECT_EQ(world.creatures.head(), &alive);
    EXPECT_EQ(alive.next, &stillShrinking);
    EXPECT_NEAR(stillShrinking.size, 0.1, 1e-12);
}

TEST(Population, RefillThresholds) {
    const struct { int left, after; } cases[] = {{15, 25}, {16, 16}, {1, 11}};
    for (const auto& k : cases) {
        World world;
        world.rng.srand(9);
        world.settings.initialPopulation = k.left;
        seedWorld(world);
        cullPass(world);
        ASSERT_EQ(world.population, k.left);
        refillWorld(world);
        EXPECT_EQ(world.creatures.size(), k.after) << k.left;
    }
}

TEST(Population, RemovingTheLastCreatureLeadsToAFreshWorld) {
    World world;
    Creature& only = addBodiless(world, Vec2(100, 100));
    removeCreature(world, &only);
    EXPECT_EQ(world.creatures.head(), nullptr);
    cullPass(world);
    EXPECT_EQ(world.population, 0);
    refillWorld(world);
    EXPECT_EQ(world.creatures.size(), 55);
}

TEST(Population, RemovalKeepsTheListSound) {
    World world;
    Creature& a = addBodiless(world, Vec2(100, 100));
    Creature& b = addBodiless(world, Vec2(200, 100));
    Creature& c = addBodiless(world, Vec2(300, 100));
    a.partner = &c;
    b.partner = &c;
    c.partner = &a;

    World elsewhere;
    Creature& stranger = addBodiless(elsewhere, Vec2(0, 0));
    removeCreature(world, &stranger); // not in this list: nothing happens
    EXPECT_EQ(world.creatures.size(), 3);

    removeCreature(world, &c);
    EXPECT_EQ(world.creatures.size(), 2);
    EXPECT_EQ(b.next, nullptr);
    EXPECT_EQ(world.creatures.tail(), &b);
    EXPECT_EQ(a.partner, nullptr); // no link is left pointing at freed memory
    EXPECT_EQ(b.partner, nullptr);

    addCreatures(world, 2);
    EXPECT_EQ(world.creatures.size(), 4);
    EXPECT_EQ(b.next->next, world.creatures.tail());
    EXPECT_EQ(world.creatures.tail()->next, nullptr);

    removeCreature(world, &a); // the head
    removeCreature(world, world.creatures.tail());
    removeCreature(world, world.creatures.tail());
    EXPECT_EQ(world.creatures.head(), &b);
    EXPECT_EQ(world.creatures.tail(), &b);
    removeCreature(world, &b);
    EXPECT_EQ(world.creatures.head(), nullptr);
    EXPECT_EQ(world.creatures.tail(), nullptr);
}

// The delete key takes the head of a running world, which others may still name as their
// partner; the steps after it must never follow such a link (the sanitizer build would say).
TEST(Population, DeletingTheHeadNamedAsPartnerThenStepping) {
    World world;
    world.rng.srand(9);
    seedWorld(world);
    for (int k = 0; k < 30; ++k) worldStep(world);
    Creature* head = world.creatures.head();
    int naming = 0;
    for (Creature* c = head->next; c != nullptr; c = c->next, ++naming) c->partner = head;
    ASSERT_GT(naming, 0);
    removeCreature(world, head);
    for (const Creature* c : world.creatures) {
        ASSERT_EQ(c->partner, nullptr);
    }
    const int before = world.creatures.size();
    const StepReport r = worldStep(world);
    EXPECT_EQ(world.creatures.size(), before + r.births - r.deaths);
}

// Long runs of whole world steps from several seeds: the list, the count and the links
// stay consistent after every step.
TEST(Population, SoakKeepsTheWorldConsistent) {
    const int steps = 20000;
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        World world;
        world.rng.srand(seed);
        seedWorld(world);
        std::unordered_set<const Creature*> members;
        for (int step = 0; step < steps; ++step) {
            worldStep(world);
            members.clear();
            for (const Creature* c : world.creatures) members.insert(c);
            // The cull's count is the list length, plus what the refill added after it.
            const int length = static_cast<int>(members.size());
            const int expected = world.population <= 0    ? world.settings.initialPopulation
                                 : world.population <= 15 ? world.population + 10
                                                          : world.population;
            ASSERT_EQ(length, expected) << seed << "/" << step;
            for (const Creature* c : members) {
                ASSERT_TRUE(c->partner == nullptr || members.count(c->partner) != 0)
                    << seed << "/" << step;
                if (c->energy > 0) {
                    ASSERT_GE(c->size, 0) << seed << "/" << step;
                    ASSERT_LE(c->size, 25) << seed << "/" << step;
                }
            }
        }
    }
}

} // namespace
} // namespace kanimo
