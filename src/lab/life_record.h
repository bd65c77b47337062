#pragma once

#include <cstdint>
#include <vector>

#include "creature/lineage.h"

namespace kanimo {

struct Creature;
struct World;

// The Lab's own record of every life its world has seen, so that the inspector can say who
// a creature's parent and children are and when and how those that are gone died. Ids are
// handed out one after the other, so a life is found by its id in a flat table. A loaded
// world brings only its living: lives before them are unknown.
class LifeRecord {
  public:
    struct Life {
        std::uint64_t parentId = 0;
        std::int64_t birthStep = -1; // -1: not known to the record
        std::int64_t deathStep = -1;
        std::int64_t removedStep = -1; // the step the cull or a deletion took it out
        std::int32_t generation = 0;
        DeathCause cause = DeathCause::none;
        bool mutated = false;
        // Segments by kind (drag, bite, feed, propel): a body never changes once grown.
        std::uint8_t kinds[4] = {0, 0, 0, 0};
    };

    void born(const Creature& creature, std::int64_t step);
    void died(const Creature& creature, std::int64_t step);
    void removed(const Creature& creature, std::int64_t step);
    // Takes in the creatures of a loaded world, as they are.
    void adopt(World& world);
    // The record as it stood after `step`: what came later, in a run that went on from
    // there, has not happened in a branch that starts there.
    LifeRecord upTo(std::int64_t step) const;

    // Null for an id the record never saw.
    const Life* find(std::uint64_t id) const;
    // Of a creature the record saw born or adopted.
    const Life& of(const Creature& creature) const;
    // The ids of the lives whose parent is `id`, in order.
    std::vector<std::uint64_t> childrenOf(std::uint64_t id) const;

  private:
    Life& entry(std::uint64_t id);

    std::uint64_t firstId_ = 0; // the id of lives_[0]
    std::vector<Life> lives_;
};

} // namespace kanimo
