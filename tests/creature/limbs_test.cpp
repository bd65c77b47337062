#include "creature/limbs.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/world_builder.h"

namespace kanimo {
namespace {

using testing::addBodiless;
using testing::addCreature;
using testing::uniformGenome;

TEST(Limbs, CreatureWithoutLimbsIsLeftAlone) {
    World world;
    Creature& c = addBodiless(world, Vec2(300, 300));
    const double speed = c.speed, drive = c.turnDrive, energy = c.energy;
    updateLimbs(world.settings, world.boostBudget, c);
    EXPECT_EQ(c.speed, speed);
    EXPECT_EQ(c.turnDrive, drive);
    EXPECT_EQ(c.energy, energy);
    EXPECT_EQ(world.boostBudget, 1000);
}

TEST(Limbs, HeadsArePlacedAroundTheBodyRelativeToTheSwing) {
    const struct {
        int angle;
        double reach, swing, x, y;
    } cases[] = {
        {90, 7.2, 0, 300, 292.8},
        {45, 5, 0, 303.5355339, 296.4644661},
        {90, 7.2, 30, 300 + 7.2 * 0.5, 300 - 7.2 * 0.8660254},
    };
    for (const auto& k : cases) {
        World world;
        Creature& c = addCreature(world, Vec2(300, 300), uniformGenome({1}, k.angle, 0));
        c.swing = k.swing;
        c.size = 12;
        c.body.firstLimb()->reach = k.reach;
        updateLimbs(world.settings, world.boostBudget, c);
        EXPECT_NEAR(c.body.firstLimb()->pos.x, k.x, 1e-6) << k.angle << " " << k.swing;
        EXPECT_NEAR(c.body.firstLimb()->pos.y, k.y, 1e-6) << k.angle << " " << k.swing;
        EXPECT_EQ(c.body.firstLimb()->prevPos.x, 300);
        EXPECT_EQ(c.body.firstLimb()->reach, 12 * 0.6);
    }
}

TEST(Limbs, SizesFollowTheBody) {
    World world;
    Creature& c = addCreature(world, Vec2(300, 300), uniformGenome({2, 1}, 0, 0));
    c.size = 12;
    updateLimbs(world.settings, world.boostBudget, c);
    for (const Segment* h = c.body.firstLimb(); h != nullptr; h = h->nextLimb()) {
        EXPECT_DOUBLE_EQ(h->size, 9.6);
        EXPECT_DOUBLE_EQ(h->reach, 7.2);
    }
    EXPECT_DOUBLE_EQ(c.body.firstLimb()->next()->size, 8.64);
    EXPECT_DOUBLE_EQ(c.body.firstLimb()->next()->next()->size, 7.776);
}

TEST(Limbs, ChainTrailsFromItsParentsPreviousPlace) {
    World world;
    Creature& c = addCreature(world, Vec2(300, 300), uniformGenome({3}, 0, 0));
    c.size = 12;
    for (int i = 0; i < 5; ++i) updateLimbs(world.settings, world.boostBudget, c);
    // A still body: every chain segment ends 0.225 (a tenth of the reach it was built
    // with) from where its parent was.
    for (const Segment* s = c.body.firstLimb()->next(); s != nullptr; s = s->next()) {
        EXPECT_NEAR(s->pos.x - s->parent()->prevPos.x, 0.225, 1e-12);
        EXPECT_NEAR(s->pos.y - s->parent()->prevPos.y, 0, 1e-12);
    }
}

struct EffectCase {
    int kind;
    int depth;
    int budget;
    double speed, drive, energy, growth;
    int budgetAfter;
};

TEST(Limbs, SegmentKindEffects) {
    const EffectCase cases[] = {
        {3, 0, 1000, 0.5, 0.0011, 0, 0, 1000},
        {0, 0, 1000, -0.5, 0.0001, 0, 0, 1000},
        {1, 0, 1000, -0.5, 0.0001, 0, 0, 1000},
        {7, 0, 1000, -0.5, 0.0001, 0, 0, 1000},
        {2, 0, 1000, -1.0, 0, 0.0001, 0.002, 999},
        {2, 0, 0, -1.0, 0, 0, 0, 0},
        {2, 10, 5, 0, 0, 0, 0, 4},
        {3, 10, 1000, 0, 0, 0, 0, 1000},
        {0, 12, 1000, 0.1, -0.00002, 0, 0, 1000},
    };
    for (const EffectCase& k : cases) {
        World world;
        Creature& c = addCreature(world, Vec2(300, 300), uniformGenome({1}, 0, k.kind));
        c.body.firstLimb()->next()->depth = k.depth;
        c.body.prepare();
        world.boostBudget = k.budget;
        c.speed = 0;
        c.turnDrive = 0;
        c.energy = 0;
        c.growth = 0;
        updateLimbs(world.settings, world.boostBudget, c);
        EXPECT_NEAR(c.speed, k.speed, 1e-12) << k.kind << "/" << k.depth;
        EXPECT_NEAR(c.turnDrive, k.drive, 1e-12) << k.kind << "/" << k.depth;
        EXPECT_NEAR(c.energy, k.energy, 1e-12) << k.kind << "/" << k.depth;
        EXPECT_NEAR(c.growth, k.growth, 1e-12) << k.kind << "/" << k.depth;
        EXPECT_EQ(world.boostBudget, k.budgetAfter) << k.kind << "/" << k.depth;
    }
}

TEST(Limbs, TheLastBoostGoesToTheFirstSegmentInLimbOrder) {
    World world;
    Creature& c = addCreature(world, Vec2(300, 300), uniformGenome({1, 2}, 0, 2));
    world.boostBudget = 1;
    c.energy = 0;
    c.growth = 0;
    updateLimbs(world.settings, world.boostBudget, c);
    EXPECT_EQ(world.boostBudget, 0);
    // Only the depth-0 segment of the first limb was boosted.
    EXPECT_NEAR(c.energy, 0.0001, 1e-15);
    EXPECT_NEAR(c.growth, 0.002, 1e-15);
}

// A body that stays put with the same size and swing, as the dead do, stops placing its
// segments once they have settled; what it leaves must be what placing them would leave,
// however long the chains, while it rests and after it moves again.
TEST(Limbs, ABodyAtRestLeavesWhatPlacingWouldLeave) {
    World world;
    World resting;
    // The longest chains there are, so that the last step is the last to settle.
    Creature& a = addCreature(world, Vec2(300, 300), uniformGenome({13, 13, 2}, 40, 3));
    Creature& b = addCreature(resting, Vec2(300, 300), uniformGenome({13, 13, 2}, 40, 3));
    for (int tick = 0; tick < 60; ++tick) {
        if (tick == 45) a.size = b.size = 17; // moves again
        a.body.rest().runs = 0;               // placed in full every time
        updateLimbs(world.settings, world.boostBudget, a);
        updateLimbs(resting.settings, resting.boostBudget, b);
        for (int i = 0; i < a.body.segmentCount(); ++i) {
            const Segment& s = a.body.segments()[i];
            const Segment& t = b.body.segments()[i];
            const double fa[] = {s.pos.x, s.pos.y, s.prevPos.x, s.prevPos.y, s.size, s.reach};
            const double fb[] = {t.pos.x, t.pos.y, t.prevPos.x, t.prevPos.y, t.size, t.reach};
            ASSERT_EQ(std::memcmp(fa, fb, sizeof fa), 0) << "tick " << tick << " segment " << i;
        }
        ASSERT_EQ(a.turnDrive, b.turnDrive);
    }
}

} // namespace
} // namespace kanimo
