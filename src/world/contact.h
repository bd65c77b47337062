#pragma once

namespace kanimo {

struct Creature;
struct World;

// Gives every creature of the list from `first` its turn: a possible refill of the boost
// budget, a meeting with every other creature, partner upkeep and its tick. Creatures
// appended during the pass (offspring) get their turn in the same pass.
void contactPass(World& world, Creature* first);

// True when some segment of the attacker's limbs touches the victim's body; the first
// touching segment bites only if it is of kind 1.
bool limbStrike(Creature& attacker, Creature& victim);

} // namespace kanimo
