#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "creature/creature.h"
#include "world/step_events.h"
#include "world/world.h"

namespace kanimo {

// Creatures a world may hold before a step gives up on it. Worlds that run by sound
// settings hold thousands, a scale-64 world a quarter of a million; a world past this
// many is one whose offspring split as soon as they are born, and would go on until
// memory runs out (a short lifespan does that).
inline constexpr std::int64_t defaultPopulationLimit = 4000000;

// Thrown out of a step, a seeding or a refill that did not finish: asked to stop, or past
// the population limit. Its world is left in the middle of what it was doing, fit only to
// be destroyed or replaced.
struct StepStopped : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct PopulationLimitReached : StepStopped {
    using StepStopped::StepStopped;
};

// What a step carries through its passes: the world it changes, whoever watches it, and
// what may end it early. The lineage the world keeps beside the rules is written here as
// things happen, and the observer, when there is one, told of it at once, in step order.
// Passed by value; a world alone makes one with nobody watching.
struct StepContext {
    World& world;
    StepObserver* observer;
    // When set, the step stops between two turns, or two tries of a placement, with
    // StepStopped. Another thread, or a signal handler, may set it.
    const std::atomic<bool>* stop = nullptr;
    std::int64_t populationLimit = defaultPopulationLimit;

    StepContext(World& world_, StepObserver* observer_ = nullptr,
                const std::atomic<bool>* stop_ = nullptr)
        : world(world_), observer(observer_), stop(stop_) {}

    void checkStop() const {
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
            throw StepStopped("stopped in the middle of a step");
        }
    }

    void born(Creature& c, const Creature* parent, bool mutated) {
        if (world.creatures.size() > populationLimit) {
            throw PopulationLimitReached("the population passed " +
                                         std::to_string(populationLimit) + " creatures");
        }
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
