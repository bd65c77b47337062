#include "render/background.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/picture.h"
#include "render/truncation.h"

namespace kanimo {

namespace {

constexpr Colour plainGrey = 0x00808080;

struct Band {
    Colour colour;
    int y1; // the corners as the band's rectangle receives them
    int y2;
};

// Band t of the gradient, t running -50 .. 205; h = t + 50 runs 0 .. 255.
Band gradientBand(double t, int worldSize) {
    const double h = t + 50;
    const Colour r = channel(t * 0.5 + 130);
    const Colour g = channel(t * 0.6 + 130);
    const Colour b = channel(t + 100);
    const double scale = 1.0 / 206;
    return Band{rgb(r, g, b), truncToInt((h + 2) * scale * worldSize),
                truncToInt(h * scale * worldSize)};
}

// Every band spans the same columns and each covers the one before it, so the finished
// picture has, in every row, the colour of the last band reaching that row. The rows are
// settled first and then filled once each, as runs of rows of one colour, instead of
// painting the 256 bands over one another. Rows are the whole frame's: a picture with an
// origin gets the part of the frame it stands for.
void paintGradient(Picture& picture, int worldSize) {
    const int height = picture.height();
    const std::int64_t firstRow = picture.originY();
    std::vector<Colour> rowColour(static_cast<std::size_t>(height));
    std::vector<char> rowPainted(static_cast<std::size_t>(height), 0);
    Colour lastColour = 0;
    for (double t = -50.0; t < 206; t = t + 1.0) {
        const Band band = gradientBand(t, worldSize);
        lastColour = band.colour;
        // The rectangle rule: rows from the upper corner to the lower one less two.
        const std::int64_t top =
            std::max<std::int64_t>(std::int64_t{std::min(band.y1, band.y2)} - firstRow, 0);
        const std::int64_t bottom = std::min<std::int64_t>(
            std::int64_t{std::max(band.y1, band.y2)} - 2 - firstRow, height - 1);
        for (std::int64_t y = top; y <= bottom; ++y) {
            rowColour[static_cast<std::size_t>(y)] = band.colour;
            rowPainted[static_cast<std::size_t>(y)] = 1;
        }
    }

    int y = 0;
    while (y < height) {
        if (!rowPainted[static_cast<std::size_t>(y)]) {
            ++y;
            continue;
        }
        const Colour colour = rowColour[static_cast<std::size_t>(y)];
        int end = y + 1;
        while (end < height && rowPainted[static_cast<std::size_t>(end)] &&
               rowColour[static_cast<std::size_t>(end)] == colour) {
            ++end;
        }
        picture.setBrushColour(colour);
        const int frameRow = static_cast<int>(firstRow + y);
        picture.rectangle(0, frameRow, worldSize, frameRow + (end - y) + 1);
        y = end;
    }
    // The brush ends as the last band leaves it, whether or not that band was visible.
    picture.setBrushColour(lastColour);
}

} // namespace

void paintBackground(Picture& picture, bool plainBackground, int worldSize) {
    picture.setPenStyle(PenStyle::Clear);
    picture.setBrushStyle(BrushStyle::Clear);
    picture.setPenWidth(0);
    if (plainBackground) {
        // Corners from the picture, not from the world size: exactly the whole picture.
        picture.setBrushColour(plainGrey);
        const int left = picture.originX();
        const int top = picture.originY();
        picture.rectangle(left, top, left + picture.width() + 1, top + picture.height() + 1);
        return;
    }
    paintGradient(picture, worldSize);
}

} // namespace kanimo
