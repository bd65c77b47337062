#pragma once

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

// A place of the cycle keeps w beside what is known of it, so that a tick reads one line.
struct SteeringMemo {
    struct Slot {
        double w;
        unsigned char known = 0; // 0: not yet worked out; 1: no turn; 2: turn
    };
    double phaseSeed = 0;
    Slot places[phaseCycleLength];
};

} // namespace kanimo
