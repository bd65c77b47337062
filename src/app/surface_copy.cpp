#include "app/surface_copy.h"

#include <algorithm>

namespace kanimo {

void copyToSurface(const Picture& picture, SurfaceView surface, int x, int y) {
    const int firstColumn = std::max(0, -x);
    const int lastColumn = std::min(picture.width(), surface.width - x); // exclusive
    const int firstRow = std::max(0, -y);
    const int lastRow = std::min(picture.height(), surface.height - y);
    if (firstColumn >= lastColumn || firstRow >= lastRow) return;

    const Colour* source = picture.pixels();
    for (int row = firstRow; row < lastRow; ++row) {
        const Colour* in = source + static_cast<std::ptrdiff_t>(row) * picture.width();
        std::uint32_t* out =
            surface.pixels + static_cast<std::ptrdiff_t>(row + y) * surface.stride + x;
        for (int column = firstColumn; column < lastColumn; ++column) {
            out[column] = surfaceValue(in[column]);
        }
    }
}

} // namespace kanimo
