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

namespace kanimo {
namespace {

// The pass as the rules state it: every creature meets every other one, in list order.
void plainContactPass(World& world) {
    for (Creature* p = world.listHead; p != nullptr; p = p->next) {
        if (world.rng.random(50) != 0) world.boostBudget = world.settings.boostBudget;
        for (Creature* q = world.listHead; q != nullptr; q = q->next) {
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

void compareRuns(std::uint32_t seed, int population, int steps, bool crowd) {
    World fast, plain;
    for (World* w : {&fast, &plain}) {
        w->rng.srand(seed);
        w->settings.initialPopulation = population;
        seedWorld(*w);
        if (crowd) {
            // Everyone piled into one corner, some dead: many contacts, bites and shrinking.
            int i = 0;
            for (Creature* c = w->listHead; c != nullptr; c = c->next, ++i) {
                c->pos = Vec2(20 + (i * 7) % 90, 20 + (i * 13) % 90);
                if (i % 9 == 4) c->energy = 0;
            }
        }
    }
    for (int step = 0; step < steps; ++step) {
        contactPass(fast);
        plainContactPass(plain);
        cullPass(fast);
        cullPass(plain);
        refillWorld(fast);
        refillWorld(plain);
        testing::expectSameWorld(fast, plain, step);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(ContactShortcuts, MatchThePlainPassOnCrowdedWorlds) {
    compareRuns(1, 300, 40, false);
    compareRuns(2, 130, 60, true);
    compareRuns(3, 70, 300, true);
}

} // namespace
} // namespace kanimo
