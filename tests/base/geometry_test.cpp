#include "base/geometry.h"

#include <gtest/gtest.h>

namespace kanimo {
namespace {

TEST(Geometry, WrapAngleMakesOneStepEachWay) {
    const struct {
        double in, out;
    } cases[] = {{0, 0},     {360, 360}, {360.5, 0.5}, {720, 360},
                 {800, 440}, {-10, 350}, {-360, 0},    {-400, -40}};
    for (const auto& c : cases) EXPECT_EQ(wrapAngle(c.in), c.out) << c.in;
}

TEST(Geometry, CirclesOverlapNeedsTwoUnitsOfOverlap) {
    EXPECT_TRUE(circlesOverlap(0, 0, 8, 0, 5, 5));
    EXPECT_FALSE(circlesOverlap(0, 0, 8.5, 0, 5, 5));
    EXPECT_TRUE(circlesOverlap(3, 4, 3, 4, 5, 5));
    EXPECT_FALSE(circlesOverlap(3, 4, 3, 4, 0.9, 0.9));
    // Symmetric in the points and in the radii.
    EXPECT_EQ(circlesOverlap(0, 0, 6, 8, 4, 8), circlesOverlap(6, 8, 0, 0, 8, 4));
    EXPECT_TRUE(circlesOverlap(0, 0, 6, 8, 4, 8));
    EXPECT_FALSE(circlesOverlap(0, 0, 6, 8, 4, 7.9));
}

TEST(Geometry, PolarOffsetUsesScreenDirections) {
    const Vec2 right = polarOffset(10, 10, 0, 5);
    EXPECT_EQ(right.x, 15);
    EXPECT_EQ(right.y, 10);
    const Vec2 up = polarOffset(0, 0, 90, 1);
    EXPECT_NEAR(up.x, 0, 1e-15);
    EXPECT_EQ(up.y, -1);
    const Vec2 left = polarOffset(0, 0, 180, 1);
    EXPECT_EQ(left.x, -1);
    EXPECT_NEAR(left.y, 0, 1e-15);
}

} // namespace
} // namespace kanimo
