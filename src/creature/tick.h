#pragma once

#include "base/random.h"
#include "creature/creature.h"
#include "creature/rules.h"

namespace kanimo {

// What each dead test takes off the size of a creature without energy.
inline constexpr double deadShrink = 0.2;

// The shared dead test. Not a pure query: each application to a creature without energy
// is one step of its dying (0.2 off its size, turning stopped), so how fast the dead
// shrink depends on how often the world step asks. Every call site says so.
inline bool isDead(Creature& creature) {
    if (creature.energy > 0) return false;
    creature.size = creature.size - deadShrink;
    creature.turnRate = 0;
    return true;
}

// How a tick ended for its creature.
enum class TickEnd {
    living,  // alive after the tick
    dead,    // it was already dead when the tick began
    starved, // its metabolism or its stalling took its energy to 0 or below
    oldAge,  // the age draw ended its life
    split,   // it reproduced: its energy is 0 and its maker must now make the three offspring
};

// One tick of life: metabolism, size, speed, limbs, movement, ageing, death of old age
// and the decision to reproduce. A tick that gets past the dead test draws random(400),
// then random(100). Feeding segments spend the shared `boostBudget`.
TickEnd creatureTick(const CreatureRules& rules, Random& rng, int& boostBudget, Creature& creature);

} // namespace kanimo
