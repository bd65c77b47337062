// The spatial index lets a turn pass over the creatures it cannot reach. These tests hold
// it against the all-pairs index, which visits every pair as the rule reads, on crowded
// and unusual worlds, to the last bit.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "creature/tick.h"
#include "support/same_world.h"
#include "support/world_builder.h"
#include "world/population.h"
#include "world/step.h"

namespace kanimo {
namespace {

// How a test world is laid out after seeding.
enum class Layout {
    asSeeded,
    crowded,     // everyone piled into one corner, some dead: contacts, bites and shrinking
    mostlyDead,  // nine in ten dead, of sizes on both sides of 0, and many partner links
    dyingAtOnce, // two in three past their life, so that they all die of age in one step
};

struct Run {
    std::uint32_t seed;
    int population;
    int steps;
    Layout layout = Layout::asSeeded;
    StepKind kind = StepKind::world;
    int scale = 1; // the world this many times wider at the same density
    double baseSpeed = WorldSettings{}.baseSpeed;
};

void lay(World& w, Layout layout) {
    int i = 0;
    Creature* previous = nullptr;
    for (Creature* c = w.creatures.head(); c != nullptr; c = c->next, ++i) {
        if (layout == Layout::crowded) {
            c->pos = Vec2(20 + (i * 7) % 90, 20 + (i * 13) % 90);
            if (i % 9 == 4) c->energy = 0;
            if (i % 5 == 2) {
                // Bites from this deep cost the biter 8, so these die in their own turns.
                for (int k = 0; k < c->body.segmentCount(); ++k) {
                    c->body.segments()[k].kind = SegmentKind::bite;
                    c->body.segments()[k].depth = 12;
                }
                c->energy = 1 + i % 20;
            }
        } else if (layout == Layout::dyingAtOnce && i % 3 != 0) {
            c->lifeLeft = -400 - i % 50; // the age draw cannot miss
        } else if (layout == Layout::mostlyDead && i % 10 != 0) {
            c->energy = 0;
            c->size = (i % 7) * 0.13 - 0.2;
            if (previous != nullptr && i % 3 == 0) c->partner = previous;
            if (previous != nullptr && i % 4 == 0) previous->partner = c;
        }
        previous = c;
    }
}

// The same world run with either index.
void compareRuns(const Run& run) {
    World fast, plain;
    plain.contactSearch = ContactSearch::allPairs;
    for (World* w : {&fast, &plain}) {
        w->rng.srand(run.seed);
        w->settings.worldSize *= run.scale;
        w->settings.initialPopulation = run.population * run.scale * run.scale;
        w->settings.refillThreshold *= run.scale * run.scale;
        w->settings.refillCount *= run.scale * run.scale;
        w->settings.baseSpeed = run.baseSpeed;
        seedWorld(*w);
        lay(*w, run.layout);
    }
    for (int step = 0; step < run.steps; ++step) {
        takeStep(fast, run.kind);
        takeStep(plain, run.kind);
        testing::expectSameWorld(fast, plain, step);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(ContactShortcuts, MatchThePlainPassOnCrowdedWorlds) {
    compareRuns({1, 300, 40});
    compareRuns({2, 130, 60, Layout::crowded});
    compareRuns({3, 70, 300, Layout::crowded});
}

// Big and sparse worlds, where the grid does the work, and worlds where the dead pile up
// as fast mode leaves them, where the counted dead tests must come out right.
TEST(ContactShortcuts, MatchThePlainPassOnBigAndMostlyDeadWorlds) {
    compareRuns({4, 55, 40, Layout::asSeeded, StepKind::world, 4});
    compareRuns({5, 4, 150, Layout::asSeeded, StepKind::world, 5});
    compareRuns({6, 300, 30, Layout::mostlyDead, StepKind::fast});
    compareRuns({7, 120, 40, Layout::crowded, StepKind::fast});
    compareRuns({2, 55, 700, Layout::asSeeded, StepKind::fast});
    compareRuns({8, 200, 20, Layout::mostlyDead, StepKind::world, 2});
    // Without a base speed a dead creature's feeding segments can bring it back to life.
    compareRuns({9, 300, 60, Layout::mostlyDead, StepKind::fast, 1, 0.0});
}

// Dense worlds of thousands, where the grid's cells hold several creatures each and many
// move between cells, die or are born in every step, or where most die in one step: a grid
// that lost or kept a creature wrongly would change some meeting within a few steps.
TEST(ContactShortcuts, MatchThePlainPassWhereManyMoveAndDieAtOnce) {
    compareRuns({5, 300, 6, Layout::asSeeded, StepKind::world, 3});
    compareRuns({11, 300, 6, Layout::dyingAtOnce, StepKind::world, 2});
    compareRuns({12, 300, 6, Layout::dyingAtOnce, StepKind::fast, 3});
}

} // namespace
} // namespace kanimo
