#pragma once

namespace kanimo {

struct Creature;

// Why a creature died, decided from what the step did to it.
enum class DeathCause {
    starved, // its own tick took its energy to 0 or below
    oldAge,  // the age draw of its tick
    bitten,  // a bite took its energy to 0 or below
    split,   // it reproduced, which leaves the parent without energy
    doomed,  // the cull removed it, alive, for a body it could not grow
    deleted, // it was deleted by hand, alive
};

// What a caller of the world step may watch, told as it happens and in step order. The
// creature handed over is valid only during the call; an observer must not change the
// world. A creature's death comes when its energy runs out, its removal later, when the
// cull (or a deletion) takes it out of the list; a creature deleted or culled alive dies
// and is removed at once.
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
