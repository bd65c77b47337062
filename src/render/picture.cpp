#include "render/picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace kanimo {

// Fills follow the clear-pen rule whatever the pen: no shape ever gets an outline, so a
// solid pen fills exactly what a clear one does. A clear brush fills nothing.

namespace {

__extension__ using Uint128 = unsigned __int128;

// Box corners after ordering and moving to the picture's own coordinates, widened so that
// no bound arithmetic can overflow.
struct Box {
    std::int64_t x1;
    std::int64_t y1;
    std::int64_t x2;
    std::int64_t y2;
};

// Moving every corner by whole pixels moves the ellipse rule's pixels by as many: it reads
// the corners only through differences and sums that keep their parity.
Box orderedBox(int x1, int y1, int x2, int y2, int originX, int originY) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    return Box{std::int64_t{x1} - originX, std::int64_t{y1} - originY, std::int64_t{x2} - originX,
               std::int64_t{y2} - originY};
}

std::int64_t floorHalf(std::int64_t a) {
    return a >> 1;
}
std::int64_t ceilHalf(std::int64_t a) {
    return -((-a) >> 1);
}

// Below this width the half span is carried from row to row: over the whole ellipse it rises
// and falls by W at most, which costs less than a square root per row.
constexpr std::int64_t carriedSpanWidth = 1024;

// Rows of the ellipse inscribed in `box`, each filled as one span. Pixel (px, py) belongs
// to it exactly when dx*dx*H*H + dy*dy*W*W <= W*W*H*H with dx = 2px + 2 - (x1 + x2) and dy
// likewise. Per row that asks for the largest |dx| with dx*dx*H*H <= W*W*(H*H - dy*dy);
// the test is monotonic in |dx|, so the integer test settles it from any first guess: the
// previous row's answer for narrow ellipses (0 for the first row), a square root for wide
// ones. U must hold W*W*H*H.
template <typename U>
void fillEllipseRows(Colour* pixels, int width, const Box& box, std::int64_t w, std::int64_t h,
                     std::int64_t rowFrom, std::int64_t rowTo, Colour colour) {
    const bool carried = w < carriedSpanWidth;
    const U wu = static_cast<U>(w);
    const U w2 = wu * wu;
    const U h2 = static_cast<U>(h) * static_cast<U>(h);
    const double h2d = static_cast<double>(h2);
    const std::int64_t centre2 = box.x1 + box.x2 - 2;
    U d = 0;
    for (std::int64_t py = rowFrom; py <= rowTo; ++py) {
        // Inside the box |dy| < H, so the remainder below stays positive.
        const std::int64_t dy = 2 * py + 2 - (box.y1 + box.y2);
        const U ady = static_cast<U>(dy < 0 ? -dy : dy);
        const U r = w2 * (h2 - ady * ady);
        if (!carried) {
            d = static_cast<U>(static_cast<std::uint64_t>(std::sqrt(static_cast<double>(r) / h2d)));
            if (d > wu) d = wu;
        }
        while (d < wu && (d + 1) * (d + 1) * h2 <= r) ++d;
        while (d > 0 && d * d * h2 > r) --d;
        const std::int64_t reach = static_cast<std::int64_t>(d);
        const std::int64_t left = std::max<std::int64_t>(ceilHalf(centre2 - reach), 0);
        const std::int64_t right = std::min<std::int64_t>(floorHalf(centre2 + reach), width - 1);
        if (left > right) continue;
        Colour* row = pixels + static_cast<std::size_t>(py) * static_cast<std::size_t>(width);
        std::fill(row + left, row + right + 1, colour);
    }
}

} // namespace

void Picture::setSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        width = 0;
        height = 0;
    }
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

void Picture::setBrushColour(Colour colour) {
    brushColour_ = colour;
    brushStyle_ = BrushStyle::Solid;
}

void Picture::rectangle(int x1, int y1, int x2, int y2) {
    if (brushStyle_ == BrushStyle::Clear) return;
    const Box box = orderedBox(x1, y1, x2, y2, originX_, originY_);
    const std::int64_t left = std::max<std::int64_t>(box.x1, 0);
    const std::int64_t right = std::min<std::int64_t>(box.x2 - 2, width_ - 1);
    const std::int64_t top = std::max<std::int64_t>(box.y1, 0);
    const std::int64_t bottom = std::min<std::int64_t>(box.y2 - 2, height_ - 1);
    if (left > right || top > bottom) return;
    for (std::int64_t y = top; y <= bottom; ++y) {
        Colour* row =
            pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
        std::fill(row + left, row + right + 1, brushColour_);
    }
}

void Picture::ellipse(int x1, int y1, int x2, int y2) {
    if (brushStyle_ == BrushStyle::Clear) return;
    const Box box = orderedBox(x1, y1, x2, y2, originX_, originY_);
    const std::int64_t w = box.x2 - 1 - box.x1;
    const std::int64_t h = box.y2 - 1 - box.y1;
    if (w <= 0 || h <= 0) return;
    // Every filled pixel lies within x1 .. x2 - 2 and y1 .. y2 - 2.
    const std::int64_t top = std::max<std::int64_t>(box.y1, 0);
    const std::int64_t bottom = std::min<std::int64_t>(box.y2 - 2, height_ - 1);
    if (box.x2 - 2 < 0 || box.x1 > width_ - 1 || top > bottom) return;
    // Below 2^16 per side W*W*H*H fits 64 bits; anything larger is rare enough for 128.
    if (w < 65536 && h < 65536) {
        fillEllipseRows<std::uint64_t>(pixels_.data(), width_, box, w, h, top, bottom,
                                       brushColour_);
    } else {
        fillEllipseRows<Uint128>(pixels_.data(), width_, box, w, h, top, bottom, brushColour_);
    }
}

} // namespace kanimo
