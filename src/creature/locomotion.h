#pragma once

namespace kanimo {

struct Creature;
struct World;

// Advances the phase, swims one step along the heading, bounces off the walls and lets
// go of a partner left behind by a bounce.
void moveCreature(const World& world, Creature& creature);

// Bounds the turning rate, then turns swing and heading by the phase-driven oscillation
// and the steady turn.
void steerCreature(const World& world, Creature& creature);

} // namespace kanimo
