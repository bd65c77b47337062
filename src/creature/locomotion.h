#pragma once

namespace kanimo {

struct Creature;
struct CreatureRules;

// Advances the phase, swims one step along the heading, bounces off the walls and lets
// go of a partner left behind by a bounce.
void moveCreature(const CreatureRules& rules, Creature& creature);

// Bounds the turning rate, then turns swing and heading by the phase-driven oscillation
// and the steady turn.
void steerCreature(const CreatureRules& rules, Creature& creature);

} // namespace kanimo
