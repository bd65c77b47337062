// The contact pass passes over the pairs that cannot meet. These tests hold it against the
// pass written plainly, pair by pair, on crowded and unusual worlds, to the last bit.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "creature/tick.h"
#include "support/same_world.h"
#include "support/world_builder.h"
#include "world/contact.h"
#include "world/population.h"
#include "world/step.h"

namespace kanimo {
namespace {

// The pass as the rules state it: every creature meets every other one, in list order.
void plainContactPass(World& world) {
    for (Creature* p = world.creatures.head(); p != nullptr; p = p->next) {
        if (world.rng.random(50) != 0) world.boostBudget = world.settings.boostBudget;
        for (Creature* q = world.creatures.head(); q != nullptr; q = q->next) {
            if (q == p || p->partner == q || q->partner == p) continue;
            if (isDead(*p)) continue;
            if (isDead(*q)) continue;
            const Vec2 rp = cornerPoint(p->pos, p->size * 0.5);
            const Vec2 rq = cornerPoint(q->pos, q->size * 0.5);
            bool touch = false;
            if (circlesOverlap(rp.x, rp.y, rq.x, rq.y, p->size * 3, q->size * 3)) {
                if (limbStrike(*p, *q)) touch = true;
            }
            if (circlesOverlap(rp.x, rp.y, rq.x, rq.y, p->size * 0.5, q->size * 0.5)) touch = true;
            if (touch) {
                swapDoubles(p->heading, q->heading);
                p->pos = polarOffset(p->pos.x, p->pos.y, p->heading, world.settings.bounceStep);
                q->pos = polarOffset(q->pos.x, q->pos.y, q->heading, world.settings.bounceStep);
                p->partner = q;
                q->partner = p;
            }
        }
        if (p->partner != nullptr && distance(p->pos.x, p->pos.y, p->partner->pos.x,
                                              p->partner->pos.y) > world.settings.contactRange) {
            p->partner = nullptr;
        }
        testing::tickInWorld(world, *p);
    }
}

// How a test world is laid out after seeding.
enum class Layout {
    asSeeded,
    crowded,    // everyone piled into one corner, some dead: contacts, bites and shrinking
    mostlyDead, // nine in ten dead, of sizes on both sides of 0, and many partner links
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
        } else if (layout == Layout::mostlyDead && i % 10 != 0) {
            c->energy = 0;
            c->size = (i % 7) * 0.13 - 0.2;
            if (previous != nullptr && i % 3 == 0) c->partner = previous;
            if (previous != nullptr && i % 4 == 0) previous->partner = c;
        }
        previous = c;
    }
}

// The shortcut pass and the plain one, each followed by the same cull and refill in a
// world step, or alone in a fast one.
void compareRuns(const Run& run) {
    World fast, plain;
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
        plainContactPass(plain);
        if (run.kind == StepKind::world) {
            cullPass(plain);
            refillWorld(plain);
        }
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

} // namespace
} // namespace kanimo
