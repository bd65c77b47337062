#pragma once

namespace kanimo {

struct Creature;
struct World;

// A fresh world of `initialPopulation` random creatures; any old list is destroyed first.
void seedWorld(World& world);

// Appends n random creatures after the true last creature.
void addCreatures(World& world, int n);

// Removes the dead that have shrunk to nothing and the doomed, and sets `population` to
// the number kept, which is then the length of the list.
void cullPass(World& world, Creature* first);

// Unlinks k from the list and destroys it; does nothing when k is not in the list.
// Every partner link naming k is cleared first, so none is ever followed to freed memory.
void removeCreature(World& world, Creature* k);

// Seeds a new world when the last cull left none, adds 10 when it left 15 or fewer.
void refillWorld(World& world);

// One world step as the run loop makes it: contact pass, cull, refill.
void worldStep(World& world);

} // namespace kanimo
