#pragma once

#include "creature/creature.h"
#include "creature/phase_cycle.h"

namespace kanimo {

struct CreatureRules;

// Advances the phase, swims one step along the heading, bounces off the walls and lets
// go of a partner left behind by a bounce.
void moveCreature(const CreatureRules& rules, Creature& creature);

// Bounds the turning rate, then turns swing and heading by the phase-driven oscillation
// and the steady turn.
void steerCreature(const CreatureRules& rules, Creature& creature);

// The place of the phase cycle whose remembered sines steering reads at `phase`, or -1 when
// it works them out afresh.
inline int steeringPlace(double phase) {
    return phaseCycleSlot(phase);
}

// Asks for what steering will read of the creature's memo in its next tick, whose phase
// moveCreature advances first. Changes nothing.
[[gnu::always_inline]] inline void prefetchNextSteering(const Creature& c) {
    if (c.steeringMemo == nullptr) return;
    const int place = steeringPlace(nextPhase(c.phase));
    if (place < 0) return;
    __builtin_prefetch(&c.steeringMemo->phaseSeed);
    __builtin_prefetch(&c.steeringMemo->w[place]);
}

} // namespace kanimo
