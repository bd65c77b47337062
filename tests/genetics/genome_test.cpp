#include "genetics/genome.h"

#include <gtest/gtest.h>

#include <vector>

namespace kanimo {
namespace {

std::vector<int> filledRow(const int (&row)[genomeColumns]) {
    std::vector<int> out;
    for (int v : row) {
        if (v == emptyCell) break;
        out.push_back(v);
    }
    return out;
}

Genome genomeFromSeed(std::uint32_t seed) {
    Random rng;
    rng.srand(seed);
    Genome g;
    randomGenome(rng, g);
    return g;
}

TEST(Genome, KnownGenerationFromSeed12345) {
    const Genome g = genomeFromSeed(12345);
    EXPECT_EQ(g.limbCount, 7);
    EXPECT_EQ(filledRow(g.angles[0]),
              (std::vector<int>{208, 165, 208, 251, 294, 337, 294, 337, 294, 251}));
    EXPECT_EQ(filledRow(g.kinds[0]), (std::vector<int>{1, 3, 1, 1, 1, 0, 3, 3, 3, 1}));
    // Row 1 wraps both ways: 4 - 31 becomes 333 and 333 + 31 becomes 4.
    EXPECT_EQ(filledRow(g.angles[1]),
              (std::vector<int>{66, 35, 4, 35, 4, 333, 302, 333, 4, 333, 302, 333, 302}));
    EXPECT_EQ(filledRow(g.angles[3]), (std::vector<int>{96, 97}));
    EXPECT_EQ(filledRow(g.kinds[3]), (std::vector<int>{1, 2}));
    const int lengths[] = {10, 13, 7, 2, 8, 6, 0};
    for (int r = 0; r < genomeRows; ++r) {
        EXPECT_EQ(filledRow(g.angles[r]).size(), static_cast<std::size_t>(lengths[r])) << r;
    }
    for (int j = 0; j < genomeColumns; ++j) {
        EXPECT_EQ(g.angles[6][j], emptyCell);
        EXPECT_EQ(g.kinds[6][j], emptyCell);
    }
}

TEST(Genome, FirstMutationAfterSeed12345LeavesItUnchanged) {
    Random rng;
    rng.srand(12345);
    Genome g;
    randomGenome(rng, g);
    Random expected = rng;
    const Genome m = mutate(rng, g);
    EXPECT_EQ(m, g);
    EXPECT_EQ(expected.random(7), 3);
    EXPECT_EQ(expected.random(13), 0);
    EXPECT_EQ(expected.random(15), 2);
    EXPECT_EQ(rng.low, expected.low);
    EXPECT_EQ(rng.high, expected.high);
}

TEST(Genome, GeneratedShapeHoldsForManySeeds) {
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
        const Genome g = genomeFromSeed(seed);
        ASSERT_GE(g.limbCount, 2);
        ASSERT_LE(g.limbCount, 8);
        for (int r = 0; r < genomeRows; ++r) {
            const bool rowFilled = r <= g.limbCount - 2;
            bool ended = false;
            for (int j = 0; j < genomeColumns; ++j) {
                const int a = g.angles[r][j];
                const int k = g.kinds[r][j];
                if (!rowFilled || ended || a == emptyCell) {
                    ASSERT_EQ(a, emptyCell);
                    ASSERT_EQ(k, emptyCell);
                    ASSERT_TRUE(!rowFilled || j > 0) << "a filled row starts with a segment";
                    ended = true;
                    continue;
                }
                ASSERT_GE(a, 0);
                ASSERT_LE(a, 360);
                ASSERT_GE(k, 0);
                ASSERT_LE(k, 3);
            }
        }
    }
}

TEST(Genome, ZeroStepRowRepeatsItsAngle) {
    bool seen = false;
    for (std::uint32_t seed = 0; seed < 5000 && !seen; ++seed) {
        Random probe;
        probe.srand(seed);
        probe.random(7);
        probe.random(13);
        probe.random(360);
        if (probe.random(50) != 0) continue;
        const Genome g = genomeFromSeed(seed);
        const std::vector<int> row = filledRow(g.angles[0]);
        for (int a : row) EXPECT_EQ(a, row[0]);
        seen = true;
    }
    EXPECT_TRUE(seen);
}

// Counts the draws a mutation made by replaying them on a copy of the generator.
int drawsMade(Random before, const Random& after) {
    for (int n = 0; n <= 6; ++n) {
        if (before.low == after.low && before.high == after.high) return n;
        before.rand31();
    }
    return -1;
}

TEST(Genome, MutationDrawsThreeTimesOrFour) {
    Genome full = genomeFromSeed(12345);
    Genome empty = full;
    for (int r = 0; r < genomeRows; ++r) {
        for (int j = 0; j < genomeColumns; ++j) {
            full.angles[r][j] = 100;
            full.kinds[r][j] = 2;
            empty.angles[r][j] = emptyCell;
            empty.kinds[r][j] = emptyCell;
        }
    }
    int changedAngles = 0, changedKinds = 0;
    for (std::uint32_t seed = 0; seed < 600; ++seed) {
        Random rng;
        rng.srand(seed);
        Random probe = rng;
        probe.random(7);
        probe.random(13);
        const int choice = probe.random(15);

        Random a = rng;
        const Genome m = mutate(a, full);
        const int expected = choice <= 1 ? 4 : 3;
        EXPECT_EQ(drawsMade(rng, a), expected);
        int differences = 0;
        for (int r = 0; r < genomeRows; ++r) {
            for (int j = 0; j < genomeColumns; ++j) {
                if (m.angles[r][j] != full.angles[r][j]) {
                    ++differences;
                    ++changedAngles;
                    EXPECT_EQ(choice, 0);
                    EXPECT_GE(m.angles[r][j], 0);
                    EXPECT_LE(m.angles[r][j], 359);
                }
                if (m.kinds[r][j] != full.kinds[r][j]) {
                    ++differences;
                    ++changedKinds;
                    EXPECT_EQ(choice, 1);
                }
            }
        }
        EXPECT_LE(differences, 1);
        EXPECT_EQ(m.limbCount, full.limbCount);

        Random b = rng;
        EXPECT_EQ(mutate(b, empty), empty);
        EXPECT_EQ(drawsMade(rng, b), 3);
    }
    EXPECT_GT(changedAngles, 0);
    EXPECT_GT(changedKinds, 0);
}

} // namespace
} // namespace kanimo
