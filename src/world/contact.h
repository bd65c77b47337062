#pragma once

namespace kanimo {

struct Creature;
struct World;
class StepObserver;

// Gives every creature of the list its turn, in list order: a possible refill of the
// boost budget, a meeting with every other creature, partner upkeep and its tick. A
// creature that splits has its three offspring appended at once, and they get their turn
// in the same pass. Returns the number of creatures born.
int contactPass(World& world, StepObserver* observer = nullptr);

// True when some segment of the attacker's limbs touches the victim's body; the first
// touching segment bites only if it is a biting one.
bool limbStrike(Creature& attacker, Creature& victim);

} // namespace kanimo
