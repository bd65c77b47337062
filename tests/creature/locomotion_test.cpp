#include "creature/locomotion.h"

#include <gtest/gtest.h>

#include "support/world_builder.h"

namespace kanimo {
namespace {

using testing::addBodiless;

struct WallCase {
    double x, y, heading, speed, wantHeading;
};

TEST(Locomotion, WallsReflectTheHeading) {
    const WallCase cases[] = {
        {590, 300, 0, 5, 180},   // right wall
        {590, 300, 30, 5, 150},  // right wall, oblique
        {300, 595, 300, 0, 60},  // bottom wall
        {5, 300, 200, 0, 340},   // left wall: -20 wraps to 340
        {300, 5, 45, 0, 315},    // top wall
        {595, 595, 315, 0, 135}, // a corner reflects twice: -135, then 495, wrapped
        {587, 300, 0, 5, 0},     // exactly on the bound: the tests are strict
    };
    for (const WallCase& k : cases) {
        World world;
        Creature& c = addBodiless(world, Vec2(k.x, k.y), k.heading);
        c.size = 12; // bounds 8 and 592
        c.speed = k.speed;
        moveCreature(world.settings, c);
        EXPECT_EQ(c.heading, k.wantHeading) << k.x << "," << k.y << " " << k.heading;
    }
}

TEST(Locomotion, ABounceStepsBackOnceAndTheNextTickMovesOn) {
    World world;
    Creature& c = addBodiless(world, Vec2(590, 300), 0);
    c.size = 12;
    c.speed = 5;
    moveCreature(world.settings, c);
    EXPECT_EQ(c.pos.x, 594);
    EXPECT_EQ(c.heading, 180);
    moveCreature(world.settings, c);
    EXPECT_NEAR(c.pos.x, 589, 1e-9);
    EXPECT_EQ(c.heading, 180);

    // Far past the bound it only creeps back by one step per tick, flipping each time.
    c.pos.x = 620;
    c.speed = 0;
    moveCreature(world.settings, c);
    EXPECT_EQ(c.pos.x, 619);
    EXPECT_EQ(c.heading, 0);
    moveCreature(world.settings, c);
    EXPECT_EQ(c.pos.x, 618);
    EXPECT_EQ(c.heading, 180);
}

TEST(Locomotion, BounceReleasesOnlyADistantPartner) {
    struct {
        double partnerX;
        double x;
        bool kept;
    } cases[] = {
        {594, 595, true},  // bounced, partner 0 units off the new place (594)
        {584, 595, true},  // bounced, exactly 10 away
        {583, 595, false}, // bounced, farther than 10
        {100, 300, true},  // no bounce: the link stays whatever the distance
    };
    for (const auto& k : cases) {
        World world;
        Creature& c = addBodiless(world, Vec2(k.x, 300), 90);
        Creature& p = addBodiless(world, Vec2(k.partnerX, 300));
        c.size = 12;
        c.speed = 0;
        c.partner = &p;
        p.partner = &c;
        moveCreature(world.settings, c);
        EXPECT_EQ(c.partner == &p, k.kept) << k.partnerX;
        EXPECT_EQ(p.partner, &c);
    }
}

TEST(Locomotion, PhaseJumpsToMinusTwoPi) {
    World world;
    Creature& c = addBodiless(world, Vec2(300, 300));
    c.speed = 0;
    for (int i = 0; i < 125; ++i) moveCreature(world.settings, c);
    EXPECT_GT(c.phase, 6.2);
    moveCreature(world.settings, c);
    EXPECT_EQ(c.phase, -6.283185307179586);
    moveCreature(world.settings, c);
    EXPECT_EQ(c.phase, -6.283185307179586 + 0.05);
}

TEST(Locomotion, TurnRateIsBounded) {
    const struct { double in, out; } cases[] = {{5, 4}, {-5, -4}, {4, 4}, {-4, -4}, {1.5, 1.5}};
    for (const auto& k : cases) {
        World world;
        Creature& c = addBodiless(world, Vec2(300, 300));
        c.turnRate = k.in;
        steerCreature(world.settings, c);
        EXPECT_EQ(c.turnRate, k.out);
    }
}

TEST(Locomotion, SteeringTurnsSwingAndHeading) {
    const struct { double phaseSeed, growth; } cases[] = {{0, 2.02}, {1, 1.98}};
    for (const auto& k : cases) {
        World world;
        Creature& c = addBodiless(world, Vec2(300, 300), 100);
        c.phaseSeed = k.phaseSeed;
        c.phase = 0.05;
        c.turnRate = 2;
        steerCreature(world.settings, c);
        EXPECT_NEAR(c.swing - 100, k.growth, 1e-3) << k.phaseSeed;
        EXPECT_NEAR(c.heading - 100, k.growth, 1e-3) << k.phaseSeed;
    }
    // Without a turn rate nothing turns but the wrap.
    World world;
    Creature& c = addBodiless(world, Vec2(300, 300), 370);
    c.swing = -20;
    c.turnRate = 0;
    c.phase = 3;
    steerCreature(world.settings, c);
    EXPECT_EQ(c.heading, 10);
    EXPECT_EQ(c.swing, 340);
}

TEST(Locomotion, SwingSkipsTheSteadyTurnWhenTheSecondTestFails) {
    // phaseSeed 0 and phase -1.2: sin(phase) is below 0.5 and below -0.5, so the swing
    // only takes the oscillating turn while the heading also takes the steady one.
    World world;
    Creature& c = addBodiless(world, Vec2(300, 300), 100);
    c.phaseSeed = 0;
    c.phase = -1.2;
    c.turnRate = 3;
    steerCreature(world.settings, c);
    const double w = std::sin(0.001 * -1.2);
    EXPECT_DOUBLE_EQ(c.swing, 100 + w * 600);
    EXPECT_DOUBLE_EQ(c.heading, 100 + w * 600 + 3);
}

} // namespace
} // namespace kanimo
