#include "creature/body.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/world_builder.h"

namespace kanimo {
namespace {

using testing::addBodiless;
using testing::emptyGenome;
using testing::uniformGenome;

std::vector<const Segment*> heads(const Creature& c) {
    std::vector<const Segment*> out;
    for (const Segment* h = c.body.firstLimb(); h != nullptr; h = h->nextLimb()) out.push_back(h);
    return out;
}

int chainLength(const Segment* head) {
    int n = 0;
    for (const Segment* s = head->next(); s != nullptr; s = s->next()) ++n;
    return n;
}

TEST(Body, GenomeOfSeed12345) {
    World world;
    Random rng;
    rng.srand(12345);
    Genome g;
    randomGenome(rng, g);
    Creature& c = addBodiless(world, Vec2(50, 60));
    growBody(world.settings, c, g);

    const std::vector<const Segment*> hs = heads(c);
    ASSERT_EQ(hs.size(), 6u);
    const int angles[] = {208, 66, 19, 96, 151, 164};
    const int kinds[] = {1, 0, 2, 1, 1, 0};
    const int lengths[] = {10, 13, 7, 2, 8, 6};
    int chained = 0;
    for (std::size_t i = 0; i < hs.size(); ++i) {
        EXPECT_EQ(hs[i]->angle, angles[i]);
        EXPECT_EQ(static_cast<int>(hs[i]->kind), kinds[i]);
        EXPECT_EQ(hs[i]->depth, 0);
        EXPECT_EQ(chainLength(hs[i]), lengths[i]);
        // The first cell of a row serves twice: as the head and as its chain's first segment.
        EXPECT_EQ(hs[i]->next()->angle, hs[i]->angle);
        EXPECT_EQ(hs[i]->next()->kind, hs[i]->kind);
        EXPECT_EQ(hs[i]->parent(), i == 0 ? nullptr : hs[i - 1]);
        chained += chainLength(hs[i]);
    }
    EXPECT_EQ(chained, 46);
    EXPECT_EQ(c.body.segmentCount(), 52);
    EXPECT_EQ(c.genome, g);
    EXPECT_FALSE(c.doomed);
}

TEST(Body, ShapesOfChainsAndLimbs) {
    World world;
    // Only row 0, n cells: the root and a chain of n with depths 0 .. n - 1.
    for (int n = 1; n <= genomeColumns; ++n) {
        Creature& c = addBodiless(world, Vec2(0, 0));
        growBody(world.settings, c, uniformGenome({n}, 30, 0));
        EXPECT_EQ(c.body.firstLimb()->nextLimb(), nullptr);
        int depth = 0;
        const Segment* parent = c.body.firstLimb();
        for (const Segment* s = c.body.firstLimb()->next(); s != nullptr; s = s->next()) {
            EXPECT_EQ(s->depth, depth++);
            EXPECT_EQ(s->parent(), parent);
            parent = s;
        }
        EXPECT_EQ(depth, n);
    }
    // A full row followed by another full row, and all seven rows.
    Creature& full = addBodiless(world, Vec2(0, 0));
    growBody(world.settings, full, uniformGenome({13, 13, 13, 13, 13, 13, 13}, 10, 3));
    const std::vector<const Segment*> hs = heads(full);
    ASSERT_EQ(hs.size(), 7u);
    for (const Segment* h : hs) EXPECT_EQ(chainLength(h), 13);
    EXPECT_EQ(hs.back()->nextLimb(), nullptr);
    EXPECT_EQ(full.body.segmentCount(), 7 * 14);
}

TEST(Body, EmptyFirstRowGivesTheRootAlone) {
    World world;
    Creature& c = addBodiless(world, Vec2(0, 0));
    Genome g = uniformGenome({0, 4}, 10, 1); // row 1 is ignored once row 0 is empty
    growBody(world.settings, c, g);
    ASSERT_NE(c.body.firstLimb(), nullptr);
    EXPECT_EQ(c.body.firstLimb()->angle, -1);
    EXPECT_EQ(static_cast<int>(c.body.firstLimb()->kind), -1);
    EXPECT_EQ(c.body.firstLimb()->next(), nullptr);
    EXPECT_EQ(c.body.firstLimb()->nextLimb(), nullptr);
    EXPECT_EQ(c.body.segmentCount(), 1);
    EXPECT_FALSE(c.doomed);
}

TEST(Body, StartingSizesAndPlaces) {
    World world;
    Creature& c = addBodiless(world, Vec2(70, 80));
    growBody(world.settings, c, uniformGenome({2, 2}, 10, 0));
    const Segment* root = c.body.firstLimb();
    const Segment* head1 = root->nextLimb();
    EXPECT_EQ(root->size, 4.0);
    EXPECT_DOUBLE_EQ(root->next()->size, 3.6);
    EXPECT_DOUBLE_EQ(head1->size, 3.6);
    EXPECT_DOUBLE_EQ(head1->next()->size, 3.24);
    for (int i = 0; i < c.body.segmentCount(); ++i) {
        EXPECT_EQ(c.body.segments()[i].pos.x, 70);
        EXPECT_EQ(c.body.segments()[i].pos.y, 80);
        EXPECT_EQ(c.body.segments()[i].reach, 2.25);
    }
}

TEST(Body, NegativeKindInAChainDoomsTheCreature) {
    World world;
    Creature& c = addBodiless(world, Vec2(0, 0));
    Genome g = uniformGenome({3}, 10, 0);
    g.kinds[0][2] = -5;
    growBody(world.settings, c, g);
    EXPECT_TRUE(c.doomed);
}

// Any table, however odd, is grown without a read or write outside it; the sanitizer build
// turns a stray access into a failure.
TEST(Body, AcceptsArbitraryTables) {
    Random rng;
    rng.srand(4242);
    const int oddValues[] = {-1, -1, -1, -2, 0, 3, 4, 360, 1000000, -1000000, 2147483647};
    World world;
    for (int trial = 0; trial < 3000; ++trial) {
        Genome g;
        g.limbCount = rng.rand31();
        for (int r = 0; r < genomeRows; ++r) {
            for (int j = 0; j < genomeColumns; ++j) {
                g.angles[r][j] = oddValues[rng.random(11)];
                g.kinds[r][j] = oddValues[rng.random(11)];
            }
        }
        Creature& c = addBodiless(world, Vec2(300, 300));
        growBody(world.settings, c, g);
        int counted = 0;
        for (const Segment* h = c.body.firstLimb(); h != nullptr; h = h->nextLimb()) {
            ++counted;
            counted += chainLength(h);
        }
        ASSERT_EQ(counted, c.body.segmentCount());
        ASSERT_LE(c.body.segmentCount(), 7 * 14);
    }
}

} // namespace
} // namespace kanimo
