#include "world/index/rect_sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace kanimo {
namespace {

// The sweep's two ways hand out the same points, on points on the edges, outside, not a
// number and at every count up to 64; where the processor has no SSE2 the plain way is the
// one in use and is held to a direct reading of the test instead.
TEST(RectSweep, BothWaysFindTheSamePoints) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(-3, 12);
    const Rect rect{0, 2, 8, 9};
    for (int round = 0; round < 2000; ++round) {
        const int count = 1 + round % 64;
        std::vector<double> x(count), y(count);
        for (int k = 0; k < count; ++k) {
            x[k] = coordinate(random);
            y[k] = coordinate(random);
            if (random() % 17 == 0) x[k] = std::nan("");
            if (random() % 23 == 0) y[k] = -INFINITY;
        }
        std::uint64_t expected = 0;
        for (int k = 0; k < count; ++k) {
            if (x[k] >= rect.left && x[k] <= rect.right && y[k] >= rect.top &&
                y[k] <= rect.bottom) {
                expected |= std::uint64_t{1} << k;
            }
        }
        ASSERT_EQ(pointsInRectPlain(x.data(), y.data(), count, rect), expected) << round;
#if defined(__SSE2__)
        ASSERT_EQ(pointsInRectSse2(x.data(), y.data(), count, rect), expected) << round;
#endif
        ASSERT_EQ(pointsInRect(x.data(), y.data(), count, rect), expected) << round;
    }
}

} // namespace
} // namespace kanimo
