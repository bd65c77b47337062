#include "creature/dying.h"

#include <algorithm>
#include <cmath>

#include "creature/creature.h"
#include "creature/tick.h"

namespace kanimo {

namespace {

// How many tests in a row, from x on, are sure to move it by the same amount. While x and
// x - deadShrink lie in one binade, the result is rounded to the same spacing every time,
// so each test takes off the same double, unless the shrink falls exactly halfway between
// two steps of that spacing: then the rounding goes by the parity of x. At least 1.
std::uint64_t evenRun(double x) {
    if (!std::isnormal(x)) return 1; // zero, subnormal, infinite or not a number
    int exponent = 0;
    std::frexp(x, &exponent); // |x| in [2^(exponent - 1), 2^exponent)
    const double spacing = std::ldexp(1.0, exponent - 53);
    if (std::fmod(deadShrink, spacing) == spacing * 0.5) return 1;
    // Positive sizes shrink towards the bottom of their binade, negative ones grow towards
    // its top; `room` is how far they may go and still have the next result in it.
    const double magnitude = std::fabs(x);
    const double room = x > 0 ? magnitude - std::ldexp(1.0, exponent - 1) - deadShrink
                              : std::ldexp(1.0, exponent) - magnitude - deadShrink;
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
