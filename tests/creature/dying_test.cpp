// A run of dead tests worked out at once leaves the very double that the tests one at a
// time leave.

#include "creature/dying.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "base/random.h"
#include "creature/tick.h"

namespace kanimo {
namespace {

double oneAtATime(double size, std::uint64_t times) {
    for (std::uint64_t i = 0; i < times; ++i) size = size - deadShrink;
    return size;
}

void expectSame(double size, std::uint64_t times) {
    const double fast = shrunkSize(size, times);
    const double slow = oneAtATime(size, times);
    ASSERT_EQ(std::memcmp(&fast, &slow, sizeof fast), 0)
        << "size " << size << " times " << times << ": " << fast << " against " << slow;
}

TEST(Dying, ShrunkSizeMatchesTheTestsOneAtATime) {
    // Sizes on both sides of 0, across binade edges and the halfway case of [0.5, 1).
    for (double size : {0.0, -0.0, 0.1, 0.2, 0.5, 0.7, 1.0, 12.0, 25.0, 24.123456789, -0.2, -0.05,
                        -1e-300, 4e-320, 0x1p-1, 0x1p4, -0x1p6}) {
        for (std::uint64_t times : {0u, 1u, 2u, 3u, 7u, 64u, 125u, 126u, 1000u, 40000u}) {
            expectSame(size, times);
        }
    }
    Random rng;
    rng.srand(11);
    for (int i = 0; i < 3000; ++i) {
        const double size = (rng.rand31() % 2000000 - 1000000) * 1e-4 + rng.rand() * 1e-9;
        expectSame(size, static_cast<std::uint64_t>(rng.rand() % 5000));
    }
    expectSame(3.3, 3000000);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(shrunkSize(nan, 10)));
    EXPECT_EQ(shrunkSize(-INFINITY, 10), -INFINITY);
}

} // namespace
} // namespace kanimo
