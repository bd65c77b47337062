// The contact pass passes over the pairs that cannot meet. These tests hold it against the
// pass written plainly, pair by pair, on crowded and unusual worlds, to the last bit.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "creature/tick.h"
#include "support/world_builder.h"
#include "world/contact.h"
#include "world/population.h"

namespace kanimo {
namespace {

// The pass as the rules state it: every creature meets every other one, in list order.
void plainContactPass(World& world, Creature* first) {
    for (Creature* p = first; p != nullptr; p = p->next) {
        if (world.rng.random(50) != 0) world.boostBudget = 1000;
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
                p->pos = polarOffset(p->pos.x, p->pos.y, p->heading, world.bounceStep);
                q->pos = polarOffset(q->pos.x, q->pos.y, q->heading, world.bounceStep);
                p->partner = q;
                q->partner = p;
            }
        }
        if (p->partner != nullptr && distance(p->pos.x, p->pos.y, p->partner->pos.x,
                                              p->partner->pos.y) > world.contactRange) {
            p->partner = nullptr;
        }
        creatureTick(world, *p);
    }
}

bool same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Compares two worlds built the same way, creature by creature and segment by segment.
void expectSameWorld(const World& a, const World& b, int step) {
    ASSERT_EQ(a.rng.low, b.rng.low) << step;
    ASSERT_EQ(a.rng.high, b.rng.high) << step;
    ASSERT_EQ(a.boostBudget, b.boostBudget) << step;
    const Creature* x = a.listHead;
    const Creature* y = b.listHead;
    for (int i = 0; x != nullptr && y != nullptr; ++i, x = x->next, y = y->next) {
        const double fx[] = {x->pos.x,  x->pos.y, x->heading,  x->swing,     x->size,     x->energy,
                             x->growth, x->speed, x->turnRate, x->turnDrive, x->lifeLeft, x->phase};
        const double fy[] = {y->pos.x,  y->pos.y, y->heading,  y->swing,     y->size,     y->energy,
                             y->growth, y->speed, y->turnRate, y->turnDrive, y->lifeLeft, y->phase};
        for (std::size_t f = 0; f < std::size(fx); ++f) {
            ASSERT_TRUE(same(fx[f], fy[f]))
                << "step " << step << " creature " << i << " field " << f;
        }
        ASSERT_EQ(x->partner == nullptr, y->partner == nullptr) << step << " " << i;
        ASSERT_EQ(x->segmentCount, y->segmentCount);
        for (int s = 0; s < x->segmentCount; ++s) {
            ASSERT_TRUE(same(x->segments[s].pos.x, y->segments[s].pos.x)) << step << " " << i;
            ASSERT_TRUE(same(x->segments[s].pos.y, y->segments[s].pos.y)) << step << " " << i;
        }
    }
    ASSERT_EQ(x == nullptr, y == nullptr) << step;
}

void compareRuns(std::uint32_t seed, int population, int steps, bool crowd) {
    World fast, plain;
    for (World* w : {&fast, &plain}) {
        w->rng.srand(seed);
        w->initialPopulation = population;
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
        contactPass(fast, fast.listHead);
        plainContactPass(plain, plain.listHead);
        cullPass(fast, fast.listHead);
        cullPass(plain, plain.listHead);
        refillWorld(fast);
        refillWorld(plain);
        expectSameWorld(fast, plain, step);
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
