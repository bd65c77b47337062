#include "render/background.h"

#include <gtest/gtest.h>

#include "filled_picture.h"
#include "render/picture.h"

namespace kanimo {
namespace {

constexpr Colour leftover = 0x00ABCDEF;

Picture framePicture(int size = 601) {
    return filledPicture(size, size, leftover);
}

TEST(Background, PlainIsGreyEverywhere) {
    Picture p = framePicture();
    paintBackground(p, true, 600);
    for (int y = 0; y < 601; ++y) {
        for (int x = 0; x < 601; ++x) ASSERT_EQ(p.pixel(x, y), 0x00808080u) << x << "," << y;
    }
}

// Each row shows the last band reaching it. Greens and band edges are those of plain double
// arithmetic: t * 0.6 is exact for multiples of 5 (G 160 at t = 50, 190 at t = 100), and
// h * (1/206) * 600 falls just short of 300 at h = 103 and of 600 at h = 206.
TEST(Background, GradientRowsShowTheirBands) {
    Picture p = framePicture();
    paintBackground(p, false, 600);
    struct Row {
        int y;
        Colour colour;
    };
    const Row rows[] = {
        {0, 0x00326469},   // t = -50: R 105, G 100, B 50
        {1, 0x00326469},   //
        {2, 0x00336469},   // t = -49 starts at row 2
        {144, 0x00638181}, // t = -1: R 129, G 129, B 99
        {145, 0x00648282}, // t = 0 starts at row 145: R 130, G 130, B 100
        {291, 0x0096A09B}, // t = 50: R 155, G 160, B 150
        {298, 0x0098A19C}, // t = 52
        {299, 0x0099A19C}, // t = 53 starts at row 299, not 300
        {436, 0x00C8BEB4}, // t = 100: R 180, G 190, B 200
        {597, 0x00FFDFCF}, // t = 155: R 207, G 223, B 255
        {598, 0x00FFDFCF}, //
        {599, 0x0000DFD0}, // t = 156: blue wrapped to 0, from row 599
        {600, 0x0000DFD0}, //
    };
    for (const Row& row : rows) {
        for (int x : {0, 300, 598}) {
            EXPECT_EQ(p.pixel(x, row.y), row.colour) << "row " << row.y << " x " << x;
        }
    }
    // The bands end at x = 600 and leave two columns to whatever was there.
    for (int y = 0; y < 601; ++y) {
        ASSERT_EQ(p.pixel(599, y), leftover) << y;
        ASSERT_EQ(p.pixel(600, y), leftover) << y;
    }
}

// The painter settles rows before filling them; it must match painting every band in turn.
TEST(Background, GradientMatchesBandByBandPainting) {
    for (int worldSize : {600, 100, 1000, -300}) {
        for (int size : {601, 137}) {
            Picture fast = framePicture(size);
            paintBackground(fast, false, worldSize);

            Picture slow = framePicture(size);
            for (double t = -50.0; t < 206; t = t + 1.0) {
                const double h = t + 50;
                const Colour r = static_cast<Colour>(static_cast<int>(t * 0.5 + 130) & 0xFF);
                const Colour g = static_cast<Colour>(static_cast<int>(t * 0.6 + 130) & 0xFF);
                const Colour b = static_cast<Colour>(static_cast<int>(t + 100) & 0xFF);
                slow.setBrushColour(r + 256 * g + 65536 * b);
                slow.rectangle(0, static_cast<int>((h + 2) * (1.0 / 206) * worldSize), worldSize,
                               static_cast<int>(h * (1.0 / 206) * worldSize));
            }
            EXPECT_TRUE(samePixels(fast, slow)) << "world " << worldSize << " picture " << size;
        }
    }
}

TEST(Background, LeavesASolidBrushBehind) {
    Picture p = framePicture(20);
    paintBackground(p, false, 600);
    p.rectangle(0, 0, 3, 3);
    EXPECT_EQ(p.pixel(0, 0), 0x0031FDE8u); // t = 205: R 232, G 253, B 49

    paintBackground(p, true, 600);
    p.rectangle(0, 0, 22, 22);
    EXPECT_EQ(p.pixel(19, 19), 0x00808080u);
}

TEST(Background, UnsizedPictureStaysEmpty) {
    Picture p;
    paintBackground(p, false, 600);
    paintBackground(p, true, 600);
    EXPECT_EQ(p.width(), 0);
    EXPECT_EQ(p.height(), 0);
}

} // namespace
} // namespace kanimo
