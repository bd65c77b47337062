#pragma once

#include "world/step_context.h"

namespace kanimo {

struct Creature;

// Gives every creature of the list a turn, in list order: a possible refill of the
// boost budget, a meeting with every other creature, partner upkeep and its tick. A
// creature that splits has its three offspring appended at once, and they get their turn
// in the same pass. Returns the number of creatures born. The world's contactSearch says
// how the creatures a turn meets are found; the result is the same either way.
int contactPass(StepContext step);

// True when some segment of the attacker's limbs touches the victim's body; the first
// touching segment bites only if it is a biting one.
bool limbStrike(Creature& attacker, Creature& victim);

} // namespace kanimo
