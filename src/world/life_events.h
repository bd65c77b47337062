#pragma once

#include "creature/creature.h"
#include "world/step_events.h"
#include "world/world.h"

// How the world keeps its creatures' lineage as things happen, and tells an observer.
namespace kanimo {

inline void noteBirth(World& world, Creature& c, const Creature* parent, bool mutated,
                      StepObserver* observer) {
    Lineage& l = c.lineage;
    l.id = world.nextCreatureId++;
    l.birthStep = world.stepCount;
    if (parent != nullptr) {
        l.parentId = parent->lineage.id;
        l.generation = parent->lineage.generation + 1;
        l.mutated = mutated;
    }
    if (observer != nullptr) observer->born(c, parent);
}

inline void noteDeath(World& world, Creature& c, DeathCause cause, StepObserver* observer) {
    c.lineage.deathStep = world.stepCount;
    c.lineage.deathCause = cause;
    if (observer != nullptr) observer->died(c, cause);
}

} // namespace kanimo
