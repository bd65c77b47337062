#pragma once

#include <cstdint>
#include <vector>

namespace kanimo {

// Colours are 0x00BBGGRR: red in the low byte.
using Colour = std::uint32_t;

enum class PenStyle { Solid, Clear };
enum class BrushStyle { Solid, Clear };

// An off-screen picture with its drawing canvas: a 32-bit pixel buffer, row-major, with a
// current pen and brush. Shapes are clipped to the picture, never wrapped. A picture has
// no pixels until it is sized; drawing into it before then does nothing.
//
// A picture may stand for a part of a larger one: with its origin at (x, y), shapes are
// given in the larger picture's coordinates and its pixel (0, 0) is the larger one's (x, y),
// so it holds exactly the pixels of that part.
class Picture {
  public:
    int width() const { return width_; }
    int height() const { return height_; }
    // Content after resizing is not kept.
    void setSize(int width, int height);

    int originX() const { return originX_; }
    int originY() const { return originY_; }
    void setOrigin(int x, int y) {
        originX_ = x;
        originY_ = y;
    }

    const Colour* pixels() const { return pixels_.data(); }
    Colour pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

    void setPenStyle(PenStyle style) { penStyle_ = style; }
    void setPenWidth(int width) { penWidth_ = width; }
    void setBrushStyle(BrushStyle style) { brushStyle_ = style; }
    // Assigning a colour makes a clear brush solid again.
    void setBrushColour(Colour colour);

    // With the clear pen: after ordering the corners, fills x1 .. x2 - 2 and y1 .. y2 - 2.
    void rectangle(int x1, int y1, int x2, int y2);
    // With the clear pen: fills the ellipse inscribed in the box, right and bottom edge
    // excluded (see picture.cpp for the exact pixel rule).
    void ellipse(int x1, int y1, int x2, int y2);

  private:
    int width_ = 0;
    int height_ = 0;
    int originX_ = 0;
    int originY_ = 0;
    std::vector<Colour> pixels_;
    PenStyle penStyle_ = PenStyle::Solid;
    int penWidth_ = 1;
    BrushStyle brushStyle_ = BrushStyle::Solid;
    Colour brushColour_ = 0x00FFFFFF;
};

} // namespace kanimo
