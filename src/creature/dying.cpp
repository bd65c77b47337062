#include "creature/dying.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "creature/creature.h"
#include "creature/tick.h"

namespace kanimo {

namespace {

// Doubles by their bits: the biased exponent, and the power of two with a given one.
int biasedExponent(double x) {
    return static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7FF);
}
double powerOfTwo(int biased) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(biased) << 52);
}

// The biased exponent of the spacing at which deadShrink falls exactly halfway between
// two steps: that of twice its lowest set bit.
constexpr int tieExponent = [] {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(deadShrink);
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | std::uint64_t{1} << 52;
    return static_cast<int>((bits >> 52) & 0x7FF) - 52 + std::countr_zero(mantissa) + 1;
}();

// How many tests in a row, from x on, are sure to move it by the same amount. While x and
// x - deadShrink lie in one binade, the result is rounded to the same spacing every time,
// so each test takes off the same double, unless the shrink falls exactly halfway between
// two steps of that spacing: then the rounding goes by the parity of x. At least 1.
std::uint64_t evenRun(double x) {
    const int biased = biasedExponent(x);
    // Tiny, subnormal, zero, infinite or not a number: one at a time.
    if (biased <= 52 || biased == 0x7FF) return 1;
    if (biased - 52 == tieExponent) return 1;
    const double low = powerOfTwo(biased); // |x| in [low, 2 low)
    const double spacing = powerOfTwo(biased - 52);
    // Positive sizes shrink towards the bottom of their binade, negative ones grow towards
    // its top; `room` is how far they may go and still have the next result in it.
    const double magnitude = std::fabs(x);
    const double room = x > 0 ? magnitude - low - deadShrink : 2 * low - magnitude - deadShrink;
    // Each test moves by at most deadShrink plus half a spacing; one more step of margin
    // covers the rounding of `room` itself.
    const double steps = std::floor(room / (deadShrink + spacing));
    if (!(steps >= 2)) return 1;
    return static_cast<std::uint64_t>(std::min(steps, 0x1p52)) - 1;
}

} // namespace

double shrunkSize(double size, std::uint64_t times) {
    double x = size;
    while (times > 0) {
        const double next = x - deadShrink;
        const std::uint64_t run = std::min(times, evenRun(x));
        if (run > 1) {
            // Both lie in one binade, so the difference is exact, and so is a whole number
            // of it that stays in the binade.
            const double step = x - next;
            x = x - static_cast<double>(run) * step;
        } else {
            x = next;
        }
        times -= run;
    }
    return x;
}

void applyDeadTests(Creature& c, std::uint64_t times) {
    if (times == 0) return;
    c.size = shrunkSize(c.size, times);
    c.turnRate = 0;
}

} // namespace kanimo
