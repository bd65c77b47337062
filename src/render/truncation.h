#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "render/picture.h"

namespace kanimo {

// Truncates toward zero into the int range of the canvas. A value beyond that range lies
// far outside any picture, so saturating it only moves an edge that is clipped anyway;
// NaN gives 0. Converting an out-of-range double directly would be undefined.
inline int truncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(v);
}

// The low 8 bits of trunc(v) as a colour channel, so -6 gives 250 and 256 gives 0. Exact
// for every finite double; NaN and the infinities give 0.
inline Colour channel(double v) {
    if (std::fabs(v) < 9.0e18) {
        return static_cast<Colour>(static_cast<std::uint64_t>(static_cast<std::int64_t>(v)) & 0xFF);
    }
    if (!std::isfinite(v)) return 0;
    double m = std::fmod(std::trunc(v), 256.0);
    if (m < 0.0) m += 256.0;
    return static_cast<Colour>(m);
}

inline Colour rgb(Colour r, Colour g, Colour b) {
    return r + 256 * g + 65536 * b;
}

} // namespace kanimo
