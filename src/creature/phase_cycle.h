#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>

namespace kanimo {

// The oscillator phase a creature has after n ticks of life is the same for every creature:
// from 0 it climbs by 0.05, jumps to -2pi at its 126th tick, and from then on runs through
// the very same 252 values again and again. What steering works out from the phase and the
// creature's fixed phaseSeed therefore repeats every 252 ticks, and is worked out once.
inline constexpr int phaseCycleLength = 252;

// One tick's step of the oscillator phase: up by 0.05, and from just above 2pi straight to
// -2pi (not to 0, nor down by 2pi).
inline double nextPhase(double phase) {
    constexpr double twoPi = 6.283185307179586;
    phase = phase + 0.05;
    if (phase > twoPi) phase = -twoPi;
    return phase;
}

// The place of `phase` in the repeating cycle, or -1 when it is not one of its values.
int phaseCycleSlot(double phase);

// What steering takes from the phase: the oscillation factor w and whether the swing
// takes the steady turn.
struct Oscillation {
    double w;
    bool steadySwingTurn;
};

// What steering worked out for each place of the cycle. A tick reads two lines: the first,
// with the seed the sines were taken for and whether each place takes the steady turn, and
// the line with its place's w. A place not yet worked out holds a NaN, which no sine of a
// finite phase gives (were one to come, the place would just be worked out again). Half the
// size of a w and a flag kept side by side, which counts in a big world: every creature
// that has lived 126 ticks has a memo.
struct alignas(64) SteeringMemo {
    double phaseSeed = 0;
    std::uint64_t steadyTurn[(phaseCycleLength + 63) / 64] = {};
    double w[phaseCycleLength];

    explicit SteeringMemo(double seed) : phaseSeed(seed) {
        std::fill(std::begin(w), std::end(w), std::numeric_limits<double>::quiet_NaN());
    }
    bool known(int place) const { return !std::isnan(w[place]); }
    bool turns(int place) const { return (steadyTurn[place / 64] >> (place % 64)) & 1; }
    void keep(int place, Oscillation o) {
        w[place] = o.w;
        if (o.steadySwingTurn) steadyTurn[place / 64] |= std::uint64_t{1} << (place % 64);
    }
};
static_assert(offsetof(SteeringMemo, w) <= 64, "the seed and the turns share the first line");

} // namespace kanimo
