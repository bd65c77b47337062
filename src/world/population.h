#pragma once

#include "world/step_context.h"

namespace kanimo {

struct Creature;
struct World;
class StepObserver;

// A fresh world of `initialPopulation` random creatures; any old list is destroyed first.
void seedWorld(StepContext step);

// Appends n random creatures at the tail of the list.
void addCreatures(StepContext step, int n);

// Appends the three offspring of a parent that has just split: one with a mutated genome,
// then two exact copies, all born at the parent's centre.
void reproduce(StepContext step, const Creature& parent);

// Removes the dead that have shrunk to nothing and the doomed, and sets `population` to
// the number kept, which is then the length of the list. Returns the number removed.
int cullPass(StepContext step);

// Unlinks k from the list and destroys it; does nothing when k is not in the list.
// Every partner link naming k is cleared first, so none is ever followed to freed memory.
// A living creature removed so is reported to the observer as deleted.
void removeCreature(World& world, Creature* k, StepObserver* observer = nullptr);

// Seeds a new world when the last cull left none, adds `refillCount` when it left
// `refillThreshold` or fewer. Returns the number of creatures made.
int refillWorld(StepContext step);

} // namespace kanimo
