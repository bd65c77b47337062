#pragma once

#include "creature/lineage.h"

namespace kanimo {

struct Creature;

// What a caller of the world step may watch, told as it happens and in step order. The
// creature handed over is valid only during the call, and the world has already written
// the event into its lineage; an observer must not change the world. A creature dies when
// its energy runs out and is removed later, when the cull (or a deletion) takes it out of
// the list; one culled or deleted alive dies and is removed at once.
class StepObserver {
  public:
    virtual ~StepObserver() = default;
    // A creature joined the world: an offspring of `parent`, or, with no parent, a
    // creature of a seeding or a refill.
    virtual void born(const Creature& creature, const Creature* parent) {
        (void)creature;
        (void)parent;
    }
    virtual void died(const Creature& creature, DeathCause cause) {
        (void)creature;
        (void)cause;
    }
    virtual void removed(const Creature& creature) { (void)creature; }
};

} // namespace kanimo
