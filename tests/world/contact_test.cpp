#include "world/contact.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/world_builder.h"

namespace kanimo {
namespace {

using testing::addBodiless;
using testing::addCreature;
using testing::uniformGenome;

// A creature that neither swims nor turns in its own tick, so that what a test sees after
// the pass is the contact alone. Its size stays at 12 + growth / 4.
Creature& addStill(World& world, Vec2 pos, double heading, double growth = 0) {
    Creature& c = addBodiless(world, pos, heading);
    c.baseSpeed = 0;
    c.turnDrive = 0;
    c.growth = growth;
    c.size = growth / 100 * 25 + 12;
    return c;
}

TEST(Contact, EmptyListDrawsNothing) {
    World world;
    const Random before = world.rng;
    contactPass(world);
    EXPECT_EQ(world.rng.low, before.low);
    EXPECT_EQ(world.rng.high, before.high);
}

TEST(Contact, LoneCreatureDrawsForTheBudgetThenTicks) {
    int refilled = 0, kept = 0;
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
        World world;
        world.rng.srand(seed);
        Creature& c = addBodiless(world, Vec2(300, 300));
        world.boostBudget = 7;
        Random replay = world.rng;
        const bool refill = replay.random(50) != 0;
        replay.random(400);
        replay.random(100);
        contactPass(world);
        EXPECT_EQ(world.boostBudget, refill ? 1000 : 7);
        (refill ? refilled : kept)++;
        EXPECT_EQ(c.lifeLeft, 2999);
        EXPECT_EQ(world.rng.low, replay.low);
        EXPECT_EQ(world.rng.high, replay.high);
    }
    EXPECT_GT(refilled, 0);
    EXPECT_GT(kept, 0);
}

TEST(Contact, TouchingCreaturesExchangeHeadingsPushApartAndPair) {
    World world;
    Creature& p = addStill(world, Vec2(300, 300), 10);
    Creature& q = addStill(world, Vec2(300, 300), 50);
    contactPass(world);
    EXPECT_EQ(p.heading, 50);
    EXPECT_EQ(q.heading, 10);
    EXPECT_EQ(p.pos.x, 300 + std::cos(50 * degreesToRadians));
    EXPECT_EQ(p.pos.y, 300 - std::sin(50 * degreesToRadians));
    EXPECT_EQ(q.pos.x, 300 + std::cos(10 * degreesToRadians));
    EXPECT_EQ(q.pos.y, 300 - std::sin(10 * degreesToRadians));
    EXPECT_EQ(p.partner, &q);
    EXPECT_EQ(q.partner, &p);
    // Partners do not meet again: a second pass leaves the headings alone.
    contactPass(world);
    EXPECT_EQ(p.heading, 50);
    EXPECT_EQ(q.heading, 10);
}

// The tests compare reference points (centres moved back by half the size), so which of
// two unequal creatures stands left decides whether they touch.
TEST(Contact, UnequalSizesCompareReferencePoints) {
    {
        World world;
        Creature& small = addStill(world, Vec2(100, 100), 0);       // size 12
        Creature& large = addStill(world, Vec2(116, 100), 180, 48); // size 24
        contactPass(world);
        EXPECT_EQ(small.partner, &large);
        EXPECT_EQ(small.heading, 180);
    }
    {
        World world;
        Creature& small = addStill(world, Vec2(116, 100), 0);
        Creature& large = addStill(world, Vec2(100, 100), 180, 48);
        contactPass(world);
        EXPECT_EQ(small.partner, nullptr);
        EXPECT_EQ(large.partner, nullptr);
        EXPECT_EQ(small.heading, 0);
    }
}

TEST(Contact, PartnerBeyondRangeIsDroppedFromOneSide) {
    for (const double gap : {200.0, 200.5}) {
        World world;
        Creature& p = addStill(world, Vec2(100, 300), 0);
        Creature& q = addStill(world, Vec2(100 + gap, 300), 0);
        Creature& r = addStill(world, Vec2(100 + gap, 300), 0);
        p.partner = &q;
        q.partner = &r;
        r.partner = &q;
        contactPass(world);
        EXPECT_EQ(p.partner == &q, gap == 200.0) << gap;
        EXPECT_EQ(q.partner, &r);
    }
}

TEST(Contact, OneRemainingLinkKeepsAPairApart) {
    World world;
    Creature& p = addStill(world, Vec2(300, 300), 10);
    Creature& q = addStill(world, Vec2(300, 300), 50);
    Creature& r = addStill(world, Vec2(380, 300), 90);
    p.partner = &r; // p met r after q
    q.partner = &p;
    r.partner = &p;
    contactPass(world);
    EXPECT_EQ(p.heading, 10);
    EXPECT_EQ(q.heading, 50);
    EXPECT_EQ(q.partner, &p);
}

TEST(Contact, DeadCreatureShrinksOnEveryMeeting) {
    World world;
    Creature* dead = nullptr;
    for (int i = 0; i < 11; ++i) {
        Creature& c = addStill(world, Vec2(50 + 100 * (i % 5), 50 + 100 * (i / 5)), 0);
        if (i == 4) {
            dead = &c;
            c.energy = 0;
            c.size = 10;
        }
    }
    contactPass(world);
    // Ten times in its own turn, once in each living creature's turn, twice in its tick.
    EXPECT_NEAR(dead->size, 10 - 22 * 0.2, 1e-9);
}

TEST(Contact, OffspringTakePartInThePassOfTheirBirth) {
    World world;
    world.rng.srand(5);
    Creature& parent = addStill(world, Vec2(300, 300), 0, 50);
    parent.lifeLeft = 100;
    contactPass(world);
    ASSERT_TRUE(parent.hasReproduced);
    ASSERT_EQ(world.creatures.size(), 4);
    for (Creature* child = parent.next; child != nullptr; child = child->next) {
        EXPECT_EQ(child->lifeLeft, 2999);
    }
}

TEST(Contact, TheFirstTouchingSegmentDecidesTheBite) {
    World world;
    Creature& victim = addBodiless(world, Vec2(300, 300));
    victim.size = 12;
    Genome g = uniformGenome({2}, 0, 2);
    g.kinds[0][1] = 1;
    Creature& attacker = addCreature(world, Vec2(0, 0), g);
    Segment* root = attacker.body.firstLimb();
    Segment* biter = root->next()->next(); // kind 1, depth 1
    ASSERT_EQ(biter->kind, SegmentKind::bite);
    for (int i = 0; i < attacker.body.segmentCount(); ++i) {
        attacker.body.segments()[i].pos = Vec2(300, 300);
        attacker.body.segments()[i].size = 8;
    }
    attacker.energy = 50;
    attacker.growth = 10;
    EXPECT_TRUE(limbStrike(attacker, victim)); // the root, kind 2, touches first
    EXPECT_EQ(attacker.energy, 50);
    EXPECT_EQ(victim.energy, 100);

    root->pos = Vec2(0, 0);
    root->next()->pos = Vec2(0, 0);
    EXPECT_TRUE(limbStrike(attacker, victim));
    EXPECT_EQ(attacker.energy, 50 + 36);
    EXPECT_EQ(attacker.growth, 10 + 4.5);
    EXPECT_EQ(victim.energy, 65);

    biter->depth = 12; // deep segments cost the attacker
    EXPECT_TRUE(limbStrike(attacker, victim));
    EXPECT_EQ(attacker.energy, 86 - 8);
    EXPECT_EQ(attacker.growth, 14.5 - 1);
    EXPECT_EQ(victim.energy, 30);

    biter->pos = Vec2(0, 0);
    EXPECT_FALSE(limbStrike(attacker, victim));
    EXPECT_EQ(victim.energy, 30);
}

} // namespace
} // namespace kanimo
