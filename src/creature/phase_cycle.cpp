#include "creature/phase_cycle.h"

#include <cmath>

namespace kanimo {

namespace {

constexpr double twoPi = 6.283185307179586;

struct PhaseCycle {
    double phase[phaseCycleLength];
    bool repeats = false; // the cycle was seen to close exactly

    PhaseCycle() {
        double p = 0;
        for (int n = 1; n <= 126 + 2 * phaseCycleLength; ++n) {
            p = nextPhase(p);
            if (n >= 126 && n < 126 + phaseCycleLength) phase[n - 126] = p;
            if (n >= 126 + phaseCycleLength) {
                repeats = p == phase[(n - 126) % phaseCycleLength];
                if (!repeats) return;
            }
        }
    }
};

} // namespace

int phaseCycleSlot(double phase) {
    static const PhaseCycle cycle;
    if (!cycle.repeats || !(phase >= -twoPi && phase <= twoPi)) return -1;
    const int slot = static_cast<int>((phase + twoPi) * 20 + 0.5);
    if (slot < 0 || slot >= phaseCycleLength || cycle.phase[slot] != phase) return -1;
    return slot;
}

} // namespace kanimo
