#pragma once

#include "creature/creature.h"
#include "world/step_events.h"
#include "world/world.h"

namespace kanimo {

// What a step carries through its passes: the world it changes and whoever watches it.
// The lineage the world keeps beside the rules is written here as things happen, and the
// observer, when there is one, told of it at once, in step order. Two references, passed
// by value; a world alone makes one with nobody watching.
struct StepContext {
    World& world;
    StepObserver* observer;

    StepContext(World& world_, StepObserver* observer_ = nullptr)
        : world(world_), observer(observer_) {}

    void born(Creature& c, const Creature* parent, bool mutated) {
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

    void died(Creature& c, DeathCause cause) {
        c.lineage.deathStep = world.stepCount;
        c.lineage.deathCause = cause;
        if (observer != nullptr) observer->died(c, cause);
    }

    void removed(const Creature& c) {
        if (observer != nullptr) observer->removed(c);
    }
};

} // namespace kanimo
