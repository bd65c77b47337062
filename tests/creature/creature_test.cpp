#include "creature/creature.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/world_builder.h"

namespace kanimo {
namespace {

TEST(Creature, SeededConstructorStartingValues) {
    World world;
    world.rng.srand(7);
    const Creature c(world.settings, world.rng, Vec2(12, 34), 77.0, true);
    EXPECT_EQ(c.body.firstLimb(), nullptr);
    EXPECT_EQ(c.next, nullptr);
    EXPECT_EQ(c.partner, nullptr);
    EXPECT_EQ(c.pos.x, 12);
    EXPECT_EQ(c.pos.y, 34);
    EXPECT_EQ(c.heading, 77.0);
    EXPECT_EQ(c.swing, 77.0);
    EXPECT_EQ(c.size, 5.0);
    EXPECT_EQ(c.maxSize, 25.0);
    EXPECT_EQ(c.energy, 100.0);
    EXPECT_EQ(c.maxEnergy, 100.0);
    EXPECT_EQ(c.growth, 0.0);
    EXPECT_EQ(c.growthRatio, 0.0);
    EXPECT_EQ(c.maxGrowth, 100.0);
    EXPECT_EQ(c.speed, 6.0);
    EXPECT_EQ(c.baseSpeed, 6.0);
    EXPECT_EQ(c.turnRate, 2.0);
    EXPECT_EQ(c.turnDrive, 2.0);
    EXPECT_EQ(c.lifeLeft, 3000);
    EXPECT_EQ(c.phase, 0.0);
    EXPECT_EQ(c.turnSign, 1);
    EXPECT_TRUE(c.marked);
    EXPECT_FALSE(c.hasReproduced);
    EXPECT_FALSE(c.doomed);
    EXPECT_EQ(c.body.segmentCount(), 0);
}

// The constructor draws a whole genome, then (offspring only) the heading, then phaseSeed.
TEST(Creature, ConstructorsDrawInOrder) {
    for (std::uint32_t seed = 1; seed < 300; ++seed) {
        World world;
        world.rng.srand(seed);
        Random replay = world.rng;
        Genome discarded;
        randomGenome(replay, discarded);
        const Creature seeded(world.settings, world.rng, Vec2(0, 0), 0, false);
        EXPECT_EQ(seeded.genome, discarded);
        EXPECT_EQ(seeded.phaseSeed, replay.rand());

        const Genome given = testing::uniformGenome({3}, 45, 2);
        randomGenome(replay, discarded);
        const int heading = replay.random(360);
        const Creature child(world.settings, world.rng, Vec2(0, 0), given);
        EXPECT_EQ(child.heading, heading);
        EXPECT_EQ(child.swing, heading);
        EXPECT_EQ(child.phaseSeed, replay.rand());
        EXPECT_EQ(child.genome, given);
        EXPECT_FALSE(child.marked);
        EXPECT_EQ(world.rng.low, replay.low);
        EXPECT_EQ(world.rng.high, replay.high);

        EXPECT_GE(child.heading, 0);
        EXPECT_LE(child.heading, 359);
        EXPECT_EQ(child.phaseSeed, std::floor(child.phaseSeed));
        EXPECT_LE(child.phaseSeed, 32767);
    }
}

TEST(Creature, SegmentConstructorsInheritFromTheirParents) {
    World world;
    Creature c(world.settings, world.rng, Vec2(3, 4), 0, false);
    const Segment root(c.pos, c.size, world.settings.limbSizeFactor, 10, 2);
    EXPECT_EQ(root.size, 4.0);
    EXPECT_EQ(root.reach, 2.25);
    EXPECT_EQ(root.pos.x, 3);
    EXPECT_EQ(root.prevPos.y, 4);
    EXPECT_EQ(root.parent(), nullptr);
    EXPECT_EQ(root.angle, 10);
    EXPECT_EQ(root.kind, SegmentKind::feed);
    const Segment child(root, 20, 3);
    EXPECT_DOUBLE_EQ(child.size, 3.6);
    EXPECT_EQ(child.reach, 2.25);
    const Segment grandchild(child, 30, 1);
    EXPECT_DOUBLE_EQ(grandchild.size, 3.24);
}

} // namespace
} // namespace kanimo
