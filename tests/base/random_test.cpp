#include "base/random.h"

#include <gtest/gtest.h>

namespace kanimo {
namespace {

TEST(Random, UnseededRand31Sequence) {
    Random rng;
    EXPECT_EQ(rng.rand31(), 346);
    EXPECT_EQ(rng.rand31(), 13854878);
    EXPECT_EQ(rng.rand31(), 1621890440);
}

TEST(Random, SeedZeroMatchesTheUnseededState) {
    Random seeded;
    seeded.srand(0);
    EXPECT_EQ(seeded.low, 1u);
    EXPECT_EQ(seeded.high, 0u);
    Random fresh;
    for (int i = 0; i < 50; ++i) EXPECT_EQ(seeded.rand31(), fresh.rand31());
}

TEST(Random, SeedOneSequences) {
    Random a;
    a.srand(1);
    EXPECT_EQ(a.low, 22695478u);
    EXPECT_EQ(a.high, 0u);
    EXPECT_EQ(a.rand(), 130);
    EXPECT_EQ(a.rand(), 10982);
    EXPECT_EQ(a.rand(), 1090);

    Random b;
    b.srand(1);
    EXPECT_EQ(b.rand31(), 1410184549);
    EXPECT_EQ(b.rand31(), 672584604);
    EXPECT_EQ(b.rand31(), 1915668986);
}

TEST(Random, InterleavedOutputsShareTheLowWord) {
    Random rng;
    rng.srand(1);
    EXPECT_EQ(rng.rand(), 130);
    EXPECT_EQ(rng.rand31(), 814966984);
    EXPECT_EQ(rng.rand(), 8068);
}

TEST(Random, BoundedDraws) {
    Random rng;
    rng.srand(12345);
    EXPECT_EQ(rng.random(360), 22);
    EXPECT_EQ(rng.random(360), 45);
    EXPECT_EQ(rng.random(360), 208);

    const Random before = rng;
    EXPECT_EQ(rng.random(0), 0);
    EXPECT_EQ(rng.low, before.low);
    EXPECT_EQ(rng.high, before.high);
    EXPECT_EQ(rng.random(1), 0);
    EXPECT_NE(rng.low, before.low);
}

TEST(Random, OutputsStayInRangeFromAnyState) {
    Random rng;
    const std::uint32_t words[] = {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xDEADBEEFu};
    for (std::uint32_t lo : words) {
        for (std::uint32_t hi : words) {
            rng.low = lo;
            rng.high = hi;
            for (int i = 0; i < 100; ++i) {
                const int r = rng.rand();
                EXPECT_GE(r, 0);
                EXPECT_LE(r, 32767);
                const int r31 = rng.rand31();
                EXPECT_GE(r31, 0);
                const int bounded = rng.random(7);
                EXPECT_GE(bounded, 0);
                EXPECT_LT(bounded, 7);
            }
        }
    }
}

} // namespace
} // namespace kanimo
