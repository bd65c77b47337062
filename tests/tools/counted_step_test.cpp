#include "counted_step.h"

#include <gtest/gtest.h>

#include <string>

#include "state_dump.h"
#include "support/world_builder.h"
#include "world/population.h"

namespace kanimo {
namespace {

std::string stateOf(const World& world) {
    std::string out;
    StateDump().append(out, world, 0);
    return out;
}

// Long enough for old age, reproduction and refills to happen.
TEST(CountedStep, RunsExactlyTheWorldStepAndBalancesItsCounts) {
    World plain;
    World counted;
    plain.rng.srand(12345);
    counted.rng.srand(12345);
    seedWorld(plain);
    seedWorld(counted);
    long long births = 0;
    long long deaths = 0;
    for (int k = 1; k <= 2600; ++k) {
        const int before = listLength(counted);
        worldStep(plain);
        const StepCounts c = countedWorldStep(counted);
        ASSERT_EQ(before + c.births - c.deaths, listLength(counted)) << "step " << k;
        ASSERT_GE(c.births, 0);
        ASSERT_GE(c.deaths, 0);
        births += c.births;
        deaths += c.deaths;
    }
    EXPECT_EQ(stateOf(plain), stateOf(counted));
    EXPECT_GT(births, 0);
    EXPECT_GT(deaths, 0);
}

TEST(CountedStep, CullAndRefillInOneStep) {
    World world;
    world.rng.srand(3);
    world.initialPopulation = 16;
    seedWorld(world);
    world.listHead->next->doomed = true;
    // The cull leaves 15, so the refill adds 10 in the same step.
    const StepCounts c = countedWorldStep(world);
    EXPECT_EQ(c.deaths, 1);
    EXPECT_EQ(c.births, 10);
    EXPECT_EQ(listLength(world), 25);
}

TEST(CountedStep, EmptiedWorldIsReseeded) {
    World world;
    world.rng.srand(3);
    world.initialPopulation = 2;
    seedWorld(world);
    world.listHead->doomed = true;
    world.listHead->next->doomed = true;
    const StepCounts c = countedWorldStep(world);
    EXPECT_EQ(c.deaths, 2);
    EXPECT_EQ(c.births, 2);
}

TEST(CountedStep, FastStepRemovesNothing) {
    World world;
    world.rng.srand(3);
    world.initialPopulation = 20;
    seedWorld(world);
    world.listHead->doomed = true;
    world.listHead->energy = 0;
    const StepCounts c = countedFastStep(world);
    EXPECT_EQ(c.deaths, 0);
    EXPECT_EQ(c.births, 0);
    EXPECT_EQ(listLength(world), 20);
    EXPECT_EQ(livingCount(world), 19);
}

TEST(CountedStep, LivingMeansEnergyAboveZero) {
    World world;
    testing::addBodiless(world, Vec2(1, 1)).energy = 0.001;
    testing::addBodiless(world, Vec2(2, 2)).energy = 0;
    testing::addBodiless(world, Vec2(3, 3)).energy = -5;
    const double sizeBefore = world.listHead->next->size;
    EXPECT_EQ(livingCount(world), 1);
    EXPECT_EQ(world.listHead->next->size, sizeBefore); // counting leaves the dead alone
}

} // namespace
} // namespace kanimo
