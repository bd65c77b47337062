#include "creature/phase_cycle.h"

#include <gtest/gtest.h>

#include "creature/locomotion.h"
#include "support/world_builder.h"

namespace kanimo {
namespace {

TEST(PhaseCycle, ThePhaseCycleRepeatsExactly) {
    World world;
    Creature& c = testing::addBodiless(world, Vec2(300, 300));
    c.speed = 0;
    int firstSlot = -1;
    for (int tick = 1; tick <= 126 + 3 * phaseCycleLength; ++tick) {
        moveCreature(world.settings, c);
        const int slot = phaseCycleSlot(c.phase);
        if (tick < 126) {
            EXPECT_EQ(slot, -1) << tick;
        } else {
            if (firstSlot < 0) firstSlot = slot;
            EXPECT_EQ(slot, (tick - 126) % phaseCycleLength) << tick;
        }
    }
    EXPECT_EQ(firstSlot, 0);
    EXPECT_EQ(phaseCycleSlot(0.123), -1);
    EXPECT_EQ(phaseCycleSlot(100.0), -1);
}

// Steering a creature through several cycles, and on after its phaseSeed changes, turns it
// exactly as the sines taken afresh would.
TEST(PhaseCycle, RememberedSinesEqualFreshOnes) {
    constexpr double pi = 3.141592653589793;
    World world;
    Creature& c = testing::addBodiless(world, Vec2(300, 300), 10);
    c.speed = 0;
    c.phaseSeed = 12345;
    int remembered = 0;
    for (int tick = 1; tick <= 1200; ++tick) {
        if (tick == 700) c.phaseSeed = 777;
        moveCreature(world.settings, c);
        const double swing = c.swing, heading = c.heading, phase = c.phase;
        if (c.steeringMemo != nullptr && phaseCycleSlot(phase) >= 0) ++remembered;
        c.turnRate = 3;
        steerCreature(world.settings, c);

        const double w = std::sin(0.001 * phase + c.phaseSeed * pi);
        const bool steady = std::sin(c.phaseSeed * pi + phase) < 0.5 &&
                            std::sin(0.0005 * c.phaseSeed * pi + phase) > -0.5;
        double wantSwing = swing + w * (200 * 3.0);
        if (steady) wantSwing = wantSwing + 3.0;
        ASSERT_EQ(c.swing, wrapAngle(wantSwing)) << tick;
        ASSERT_EQ(c.heading, wrapAngle(heading + w * (200 * 3.0) + 3.0)) << tick;
    }
    EXPECT_GT(remembered, 800);
}

} // namespace
} // namespace kanimo
