#include "render/picture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <utility>

#include "filled_picture.h"

namespace kanimo {
namespace {

constexpr Colour paper = 0x00FFFFFF;
constexpr Colour ink = 0x00123456;

Picture blankPicture(int width, int height) {
    Picture p = filledPicture(width, height, paper);
    p.setBrushColour(ink);
    return p;
}

// The pixel rule of an ellipse, pixel by pixel, in arithmetic wide enough for any box.
bool insideEllipse(std::int64_t px, std::int64_t py, std::int64_t x1, std::int64_t y1,
                   std::int64_t x2, std::int64_t y2) {
    __extension__ using Wide = unsigned __int128;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const std::int64_t w = x2 - 1 - x1;
    const std::int64_t h = y2 - 1 - y1;
    if (w <= 0 || h <= 0) return false;
    const std::int64_t dx = 2 * px + 1 - (x1 + x2 - 1);
    const std::int64_t dy = 2 * py + 1 - (y1 + y2 - 1);
    const Wide adx = static_cast<Wide>(dx < 0 ? -dx : dx);
    const Wide ady = static_cast<Wide>(dy < 0 ? -dy : dy);
    const Wide ww = static_cast<Wide>(w) * static_cast<Wide>(w);
    const Wide hh = static_cast<Wide>(h) * static_cast<Wide>(h);
    if (adx * adx > ww || ady * ady > hh) return false;
    return adx * adx * hh <= ww * hh - ady * ady * ww;
}

void expectEllipseRule(int width, int height, int x1, int y1, int x2, int y2) {
    Picture p = blankPicture(width, height);
    p.ellipse(x1, y1, x2, y2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour expected = insideEllipse(x, y, x1, y1, x2, y2) ? ink : paper;
            ASSERT_EQ(p.pixel(x, y), expected) << "pixel " << x << "," << y << " of Ellipse(" << x1
                                               << ", " << y1 << ", " << x2 << ", " << y2 << ")";
        }
    }
}

int countInk(const Picture& p) {
    return countPixels(p, ink);
}

TEST(Picture, RectangleLeavesOutTheLastTwoColumnsAndRows) {
    Picture p = blankPicture(10, 10);
    p.rectangle(2, 3, 6, 8);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x <= 4 && y >= 3 && y <= 6;
            EXPECT_EQ(p.pixel(x, y), inside ? ink : paper) << x << "," << y;
        }
    }

    Picture swapped = blankPicture(10, 10);
    swapped.rectangle(6, 8, 2, 3);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) EXPECT_EQ(swapped.pixel(x, y), p.pixel(x, y));
    }

    Picture thin = blankPicture(10, 10);
    thin.rectangle(3, 3, 4, 9);
    thin.rectangle(3, 3, 3, 3);
    EXPECT_EQ(countInk(thin), 0);
}

TEST(Picture, RectangleIsClippedNotWrapped) {
    Picture p = blankPicture(8, 6);
    p.rectangle(-5, -5, 3, 3);
    EXPECT_EQ(countInk(p), 4);
    EXPECT_EQ(p.pixel(1, 1), ink);
    EXPECT_EQ(p.pixel(7, 5), paper);

    Picture all = blankPicture(8, 6);
    all.rectangle(INT_MIN, INT_MAX, INT_MAX, INT_MIN);
    EXPECT_EQ(countInk(all), 48);

    Picture beyond = blankPicture(8, 6);
    beyond.rectangle(8, 0, 20, 6);
    beyond.rectangle(INT_MIN, INT_MIN, INT_MIN + 5, INT_MIN + 5);
    EXPECT_EQ(countInk(beyond), 0);
}

TEST(Picture, EllipseFollowsThePixelRuleForSmallBoxes) {
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> coord(-12, 45);
    for (int i = 0; i < 400; ++i) {
        expectEllipseRule(40, 30, coord(gen), coord(gen), coord(gen), coord(gen));
        if (HasFatalFailure()) return;
    }
}

TEST(Picture, EllipseShapesByExample) {
    // A 4 by 4 box (W = H = 4) loses only its four corners.
    Picture p = blankPicture(6, 6);
    p.ellipse(1, 1, 6, 6);
    EXPECT_EQ(countInk(p), 12);
    EXPECT_EQ(p.pixel(1, 1), paper);
    EXPECT_EQ(p.pixel(4, 1), paper);
    EXPECT_EQ(p.pixel(1, 4), paper);
    EXPECT_EQ(p.pixel(4, 4), paper);
    EXPECT_EQ(p.pixel(2, 1), ink);
    EXPECT_EQ(p.pixel(1, 2), ink);
    EXPECT_EQ(p.pixel(4, 3), ink);
    EXPECT_EQ(p.pixel(5, 5), paper);

    Picture flat = blankPicture(6, 6);
    flat.ellipse(1, 1, 5, 2);
    flat.ellipse(1, 1, 2, 5);
    flat.ellipse(4, 4, 1, 1); // reversed corners, W = H = 2
    EXPECT_EQ(countInk(flat), 4);
    EXPECT_EQ(flat.pixel(1, 1), ink);
    EXPECT_EQ(flat.pixel(2, 1), ink);
    EXPECT_EQ(flat.pixel(1, 2), ink);
    EXPECT_EQ(flat.pixel(2, 2), ink);
}

TEST(Picture, HugeEllipsesAreExactAndSafe) {
    expectEllipseRule(12, 12, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    expectEllipseRule(12, 12, INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    // Edges that cross the picture, one of each size class.
    expectEllipseRule(40, 20, -2000000000, -5, 10, 15);
    expectEllipseRule(20, 40, -5, 30, 15, -2100000000);
    expectEllipseRule(40, 40, -241436, -241436, 41436, 41436);
    expectEllipseRule(40, 40, -60000, -60000, 30, 30);
    expectEllipseRule(40, 40, INT_MIN, INT_MIN, 20, 20);

    Picture far = blankPicture(10, 10);
    far.ellipse(INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX);
    far.ellipse(INT_MIN, 0, INT_MIN + 10, 10);
    EXPECT_EQ(countInk(far), 0);
}

TEST(Picture, ClearBrushFillsNothingUntilAColourIsSet) {
    Picture p = blankPicture(6, 6);
    p.setBrushStyle(BrushStyle::Clear);
    p.rectangle(0, 0, 7, 7);
    p.ellipse(0, 0, 7, 7);
    EXPECT_EQ(countInk(p), 0);
    p.setBrushColour(ink);
    p.rectangle(0, 0, 7, 7);
    EXPECT_EQ(countInk(p), 36);
}

TEST(Picture, UnsizedPictureHasNoPixelsAndIgnoresDrawing) {
    Picture p;
    EXPECT_EQ(p.width(), 0);
    EXPECT_EQ(p.height(), 0);
    p.setBrushColour(ink);
    p.rectangle(-10, -10, 10, 10);
    p.ellipse(-10, -10, 10, 10);

    p.setSize(5, 0);
    EXPECT_EQ(p.width(), 0);
    EXPECT_EQ(p.height(), 0);
    p.rectangle(0, 0, 10, 10);

    p.setSize(3, 2);
    p.rectangle(0, 0, 10, 10);
    EXPECT_EQ(countInk(p), 6);
    p.setSize(4, 5);
    EXPECT_EQ(p.width(), 4);
    EXPECT_EQ(p.height(), 5);
    p.rectangle(0, 0, 10, 10);
    EXPECT_EQ(countInk(p), 20);
}

} // namespace
} // namespace kanimo
