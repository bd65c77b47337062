#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kanimo {

// An axis-aligned rectangle, edges included.
struct Rect {
    double left;
    double top;
    double right;
    double bottom;
};

// Which of up to 64 points, from `x` and `y` on, lie in the rectangle: bit k for point k.
// Written plainly, two at a time below where the processor has SSE2; both give the same
// bits, and the test suite holds them to it on every machine.
inline std::uint64_t pointsInRectPlain(const double* x, const double* y, int count, Rect r) {
    std::uint64_t bits = 0;
    for (int k = 0; k < count; ++k) {
        const bool in = x[k] >= r.left && x[k] <= r.right && y[k] >= r.top && y[k] <= r.bottom;
        bits |= static_cast<std::uint64_t>(in) << k;
    }
    return bits;
}

#if defined(__SSE2__)
inline std::uint64_t pointsInRectSse2(const double* x, const double* y, int count, Rect r) {
    const __m128d l = _mm_set1_pd(r.left);
    const __m128d rt = _mm_set1_pd(r.right);
    const __m128d t = _mm_set1_pd(r.top);
    const __m128d b = _mm_set1_pd(r.bottom);
    std::uint64_t bits = 0;
    int k = 0;
    for (; k + 1 < count; k += 2) {
        const __m128d qx = _mm_loadu_pd(x + k);
        const __m128d qy = _mm_loadu_pd(y + k);
        const __m128d in = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(qx, l), _mm_cmple_pd(qx, rt)),
                                      _mm_and_pd(_mm_cmpge_pd(qy, t), _mm_cmple_pd(qy, b)));
        bits |= static_cast<std::uint64_t>(_mm_movemask_pd(in)) << k;
    }
    if (k < count) bits |= pointsInRectPlain(x + k, y + k, count - k, r) << k;
    return bits;
}
#endif

// The one place the sweep's way is chosen.
inline std::uint64_t pointsInRect(const double* x, const double* y, int count, Rect r) {
#if defined(__SSE2__)
    return pointsInRectSse2(x, y, count, r);
#else
    return pointsInRectPlain(x, y, count, r);
#endif
}

// Hands `consider` every index from `from` to `count` whose point lies in the rectangle,
// in rising order, looking at 64 points at a time over the flat arrays.
template <class Consider>
void sweepRect(const double* x, const double* y, int from, int count, Rect r, Consider&& consider) {
    for (int begin = from; begin < count; begin += 64) {
        const int n = std::min(64, count - begin);
        for (std::uint64_t bits = pointsInRect(x + begin, y + begin, n, r); bits != 0;
             bits &= bits - 1) {
            consider(begin + std::countr_zero(bits));
        }
    }
}

} // namespace kanimo
