#include "world/step.h"

#include <gtest/gtest.h>

#include <atomic>
#include <unordered_set>

#include "support/same_world.h"
#include "support/world_builder.h"
#include "world/population.h"
#include "world/step_events.h"

namespace kanimo {
namespace {

// Holds the events of a step against each other, the lineage and the list: ids come in
// order of birth; every creature dies once, before it is removed (or at its removal, when
// it goes alive); a parent has just split when its three offspring are born, the first of
// them the mutated one, a generation after it.
class CheckingObserver : public StepObserver {
  public:
    void born(const Creature& c, const Creature* parent) override {
        ++births;
        EXPECT_TRUE(live.insert(&c).second);
        EXPECT_EQ(c.lineage.id, ++lastId);
        if (parent == nullptr) {
            EXPECT_EQ(c.lineage.parentId, 0u);
            EXPECT_EQ(c.lineage.generation, 0);
            return;
        }
        EXPECT_TRUE(parent == lastSplit);
        EXPECT_EQ(c.lineage.parentId, parent->lineage.id);
        EXPECT_EQ(c.lineage.generation, parent->lineage.generation + 1);
        EXPECT_EQ(c.lineage.mutated, childrenOfLastSplit == 0);
        EXPECT_LT(++childrenOfLastSplit, 4);
    }
    void died(const Creature& c, DeathCause cause) override {
        EXPECT_EQ(live.count(&c), 1u);
        EXPECT_TRUE(dead.insert(&c).second) << "died twice";
        const bool removedAlive = cause == DeathCause::doomed || cause == DeathCause::deleted;
        EXPECT_EQ(c.energy > 0, removedAlive);
        EXPECT_EQ(c.lineage.deathCause, cause);
        ++causes[static_cast<int>(cause)];
        if (cause == DeathCause::split) {
            lastSplit = &c;
            childrenOfLastSplit = 0;
        }
    }
    void removed(const Creature& c) override {
        ++removals;
        EXPECT_EQ(dead.erase(&c), 1u) << "removed before it died";
        EXPECT_EQ(live.erase(&c), 1u);
        if (&c == lastSplit) lastSplit = nullptr;
    }

    std::unordered_set<const Creature*> live;
    std::unordered_set<const Creature*> dead;
    const Creature* lastSplit = nullptr;
    int childrenOfLastSplit = 0;
    std::uint64_t lastId = 0;
    long long births = 0;
    long long removals = 0;
    long long causes[7] = {};
};

// Long enough for every cause of death, reproduction, refills and a doomed creature.
TEST(WorldStep, ReportsAndEventsAgreeWithTheListAndChangeNothing) {
    for (StepKind kind : {StepKind::world, StepKind::fast}) {
        World plain;
        World watched;
        CheckingObserver observer;
        plain.rng.srand(12345);
        watched.rng.srand(12345);
        seedWorld(plain);
        seedWorld({watched, &observer});
        const int steps = kind == StepKind::world ? 4000 : 400;
        for (int k = 1; k <= steps; ++k) {
            const int before = watched.creatures.size();
            const long long birthsBefore = observer.births;
            const long long removalsBefore = observer.removals;
            takeStep(plain, kind);
            const StepReport r = takeStep(watched, kind, &observer);
            ASSERT_EQ(before + r.births - r.deaths, watched.creatures.size()) << "step " << k;
            ASSERT_EQ(r.births, observer.births - birthsBefore) << "step " << k;
            ASSERT_EQ(r.deaths, observer.removals - removalsBefore) << "step " << k;
            ASSERT_EQ(static_cast<std::size_t>(watched.creatures.size()), observer.live.size());
            if (::testing::Test::HasFailure()) return;
        }
        testing::expectSameWorld(plain, watched, steps);
        if (kind == StepKind::fast) {
            EXPECT_EQ(observer.removals, 0);
            continue;
        }
        for (DeathCause cause :
             {DeathCause::starved, DeathCause::oldAge, DeathCause::bitten, DeathCause::split}) {
            EXPECT_GT(observer.causes[static_cast<int>(cause)], 0) << static_cast<int>(cause);
        }
    }
}

TEST(WorldStep, CullAndRefillInOneStep) {
    World world;
    world.rng.srand(3);
    world.settings.initialPopulation = 16;
    CheckingObserver observer;
    seedWorld({world, &observer});
    world.creatures.head()->next->doomed = true;
    // The cull leaves 15, so the refill adds 10 in the same step.
    const StepReport r = worldStep(world, &observer);
    EXPECT_EQ(r.deaths, 1);
    EXPECT_EQ(r.births, 10);
    EXPECT_EQ(r.population, 15);
    EXPECT_EQ(observer.causes[static_cast<int>(DeathCause::doomed)], 1);
    EXPECT_EQ(world.creatures.size(), 25);
}

TEST(WorldStep, EmptiedWorldIsReseeded) {
    World world;
    world.rng.srand(3);
    world.settings.initialPopulation = 2;
    seedWorld(world);
    world.creatures.head()->doomed = true;
    world.creatures.head()->next->doomed = true;
    const StepReport r = worldStep(world);
    EXPECT_EQ(r.deaths, 2);
    EXPECT_EQ(r.births, 2);
    EXPECT_EQ(r.population, 0);
}

// A world whose offspring split as soon as they are born never finishes its step: the
// population limit ends it instead of memory running out, and a stop request ends a step
// or a seeding that would take too long.
TEST(WorldStep, ExplodingOrStoppedStepsEnd) {
    World exploding;
    exploding.rng.srand(11);
    exploding.settings.initialPopulation = 300;
    exploding.settings.lifespan = 300;
    seedWorld(exploding);
    StepContext limited(exploding);
    limited.populationLimit = 20000;
    EXPECT_THROW(
        {
            for (int k = 0; k < 100; ++k) worldStep(limited);
        },
        PopulationLimitReached);
    EXPECT_LE(exploding.creatures.size(), 20001);

    const std::atomic<bool> stop{true};
    World world;
    EXPECT_THROW(worldStep(StepContext(world, nullptr, &stop)), StepStopped);
    world.settings.initialPopulation = 20000; // far more than fit: each takes many tries
    EXPECT_THROW(seedWorld(StepContext(world, nullptr, &stop)), StepStopped);
}

} // namespace
} // namespace kanimo
