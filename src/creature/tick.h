#pragma once

#include "creature/creature.h"

namespace kanimo {

struct World;

// The shared dead test. Not a pure query: each application to a creature without energy
// is one step of its dying (0.2 off its size, turning stopped), so how fast the dead
// shrink depends on how often the world step asks.
inline bool isDead(Creature& creature) {
    if (creature.energy > 0) return false;
    creature.size = creature.size - 0.2;
    creature.turnRate = 0;
    return true;
}

// One tick of life: metabolism, size, speed, limbs, movement, ageing, death of old age
// and reproduction. A tick that gets past the dead test draws random(400), then random(100).
void creatureTick(World& world, Creature& creature);

} // namespace kanimo
