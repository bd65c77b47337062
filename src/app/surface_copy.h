#pragma once

#include <cstddef>
#include <cstdint>

#include "render/picture.h"

namespace kanimo {

// A 32-bit surface in the window system's pixel order, 0xFFRRGGBB, row by row.
struct SurfaceView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // in pixels
};

inline std::uint32_t surfaceValue(Colour c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

inline Colour colourOf(std::uint32_t surfaceValue) {
    return ((surfaceValue & 0xFFu) << 16) | (surfaceValue & 0xFF00u) |
           ((surfaceValue >> 16) & 0xFFu);
}

// Copies the whole picture onto the surface with its top-left corner at (x, y); pixels that
// fall outside the surface are dropped, surface pixels outside the picture keep their value.
void copyToSurface(const Picture& picture, SurfaceView surface, int x, int y);

} // namespace kanimo
