#include "render/creature_drawing.h"

#include <gtest/gtest.h>

#include "creature/creature.h"
#include "filled_picture.h"
#include "render/picture.h"
#include "world/world.h"

namespace kanimo {
namespace {

constexpr Colour paper = 0x00FFFFFF;

Picture blankPicture(int size) {
    return filledPicture(size, size, paper);
}

Segment segmentAt(double x, double y, double size, int kind, int depth) {
    Segment s;
    s.pos = Vec2(x, y);
    s.size = size;
    s.kind = static_cast<SegmentKind>(kind);
    s.depth = depth;
    return s;
}

TEST(CreatureDrawing, SegmentColourByKindAndDepth) {
    struct Case {
        int kind;
        int depth;
        Colour colour;
    };
    const Case cases[] = {
        {0, 0, 0x00C85050},  {1, 0, 0x005050C8},  {2, 0, 0x0050C850},
        {3, 0, 0x0028C8C8},  {2, 1, 0x0050C050},  {2, 12, 0x00506850},
        {3, 12, 0x00286868}, {1, 12, 0x00505068}, {0, 26, 0x00F85050}, // 200 - 208 wraps to 248
        {4, 0, 0x00969696},  {-1, 7, 0x00969696}, {99, 12, 0x00969696},
    };
    for (const Case& c : cases) {
        Picture p = blankPicture(20);
        drawSegment(p, segmentAt(10, 10, 8, c.kind, c.depth));
        EXPECT_EQ(p.pixel(10, 10), c.colour) << "kind " << c.kind << " depth " << c.depth;
        EXPECT_EQ(p.pixel(0, 0), paper);
    }
}

TEST(CreatureDrawing, SegmentBoundsTruncateTowardZero) {
    // Bounds -0.7 and 5.9 become 0 and 5: neither rounded nor floored.
    Picture drawn = blankPicture(12);
    drawSegment(drawn, segmentAt(2.6, 2.6, 6.6, 2, 0));
    Picture expected = blankPicture(12);
    expected.setBrushColour(0x0050C850);
    expected.ellipse(0, 0, 5, 5);
    EXPECT_TRUE(samePixels(drawn, expected));

    Picture floored = blankPicture(12);
    floored.setBrushColour(0x0050C850);
    floored.ellipse(-1, -1, 5, 5);
    EXPECT_FALSE(samePixels(drawn, floored));
}

TEST(CreatureDrawing, LimbChainIsDrawnFromTheTipInwards) {
    // Links hold between segments of one array, as in a body.
    Segment chain[] = {segmentAt(20, 20, 4, 1, 0), segmentAt(20, 20, 10, 2, 0),
                       segmentAt(20, 20, 16, 3, 1)};
    chain[0].linkNext(&chain[1]);
    chain[1].linkNext(&chain[2]);

    Picture p = blankPicture(40);
    drawLimbChain(p, &chain[0]);
    EXPECT_EQ(p.pixel(20, 20), 0x005050C8u);
    EXPECT_EQ(p.pixel(23, 20), 0x0050C850u);
    EXPECT_EQ(p.pixel(25, 20), 0x0028C0C0u);

    Picture untouched = blankPicture(40);
    drawLimbChain(untouched, nullptr);
    EXPECT_TRUE(samePixels(untouched, blankPicture(40)));
}

// A body of size 20 at (100, 100) with swing 0: the growth crescent shows at (112, 100),
// the life crescent at (104, 110), the body at its centre.
struct BodyColours {
    Colour life;
    Colour growth;
    Colour body;
};

BodyColours drawnBody(const Creature& c, int lifespan) {
    Picture p = blankPicture(200);
    drawBody(p, c, lifespan);
    return BodyColours{p.pixel(104, 110), p.pixel(112, 100), p.pixel(100, 100)};
}

TEST(CreatureDrawing, BodyCirclesShowLifeGrowthAndEnergy) {
    World w;
    Creature c(w.settings, w.rng, Vec2(100, 100), 0.0, false);
    c.size = 20;
    c.swing = 0;
    c.lifeLeft = 3000;
    c.growthRatio = 0;
    c.maxEnergy = 100;
    c.energy = 100;
    BodyColours b = drawnBody(c, 3000);
    EXPECT_EQ(b.life, 0x0050BE50u);   // G 190
    EXPECT_EQ(b.growth, 0x00005050u); // B 0
    EXPECT_EQ(b.body, 0x003232B4u);   // R 180, G 50, B 50

    c.lifeLeft = -100; // trunc(-6.33) = -6, kept to 8 bits
    c.growthRatio = 0.5;
    c.energy = 50;
    b = drawnBody(c, 3000);
    EXPECT_EQ(b.life, 0x0050FA50u);   // G 250
    EXPECT_EQ(b.growth, 0x005F5050u); // B 95
    EXPECT_EQ(b.body, 0x0019195Au);   // R 90, G 25, B 25

    c.lifeLeft = 1500;
    c.energy = 0;
    b = drawnBody(c, 3000);
    EXPECT_EQ(b.life, 0x00505F50u);
    EXPECT_EQ(b.body, 0x00000000u);

    c.marked = true;
    b = drawnBody(c, 3000);
    EXPECT_EQ(b.body, 0x009696DEu);
}

TEST(CreatureDrawing, CrescentsTurnWithTheSwing) {
    World w;
    Creature c(w.settings, w.rng, Vec2(100, 100), 0.0, false);
    c.size = 20;
    c.swing = 90; // clockwise on the picture: the growth circle moves below the body
    c.lifeLeft = 3000;
    c.energy = c.maxEnergy;
    Picture p = blankPicture(200);
    drawBody(p, c, 3000);
    EXPECT_EQ(p.pixel(100, 112), 0x00005050u);
    EXPECT_EQ(p.pixel(112, 100), paper);
}

TEST(CreatureDrawing, NoCreaturesDrawNothing) {
    Picture p = blankPicture(30);
    drawCreatures(p, nullptr, 3000);
    EXPECT_TRUE(samePixels(p, blankPicture(30)));
}

} // namespace
} // namespace kanimo
