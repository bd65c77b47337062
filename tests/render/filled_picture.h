#pragma once

#include "render/picture.h"

namespace kanimo {

// A sized picture filled with one colour, its pen clear and its brush left at that colour.
inline Picture filledPicture(int width, int height, Colour colour) {
    Picture p;
    p.setSize(width, height);
    p.setPenStyle(PenStyle::Clear);
    p.setBrushColour(colour);
    p.rectangle(0, 0, width + 1, height + 1);
    return p;
}

inline int countPixels(const Picture& p, Colour colour) {
    int n = 0;
    for (int y = 0; y < p.height(); ++y) {
        for (int x = 0; x < p.width(); ++x) n += p.pixel(x, y) == colour;
    }
    return n;
}

inline bool samePixels(const Picture& a, const Picture& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
        }
    }
    return true;
}

} // namespace kanimo
