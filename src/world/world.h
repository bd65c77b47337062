#pragma once

#include <cstdint>
#include <memory>

#include "base/random.h"
#include "world/creature_list.h"
#include "world/settings.h"

namespace kanimo {

class SpatialIndex;

// How the contact pass finds the creatures a turn meets (see world/index/contact_index.h).
// Both give the same world to the last bit; the plain one is the reference.
enum class ContactSearch {
    spatial,  // only the creatures a turn can reach, through a grid or a sweep
    allPairs, // every creature, as the rule reads
};

// The whole state of one simulated world: its tuning constants, its creature list, its
// counters and its random generator. Nothing of a world lives anywhere else, so several
// worlds can run side by side.
struct World {
    WorldSettings settings;
    std::int32_t boostBudget = 1000; // feeding boosts the creatures may still be granted

    CreatureList creatures;
    std::int32_t population = 0; // creatures the last cull kept

    // Counters of the record kept beside the rules (see Lineage); they never change a result.
    std::int64_t stepCount = 0;       // world and fast steps taken since the first seeding
    std::uint64_t nextCreatureId = 1; // the id the next creature made will get

    Random rng;

    ContactSearch contactSearch = ContactSearch::spatial;
    // The contact pass's scratch space, kept between passes so that it is reused; it holds
    // nothing of the world's state.
    std::unique_ptr<SpatialIndex> spatialIndex;

    World();
    explicit World(const WorldSettings& settings);
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    // Moving a world moves its state; the scratch space of the world moved into is dropped.
    World(World&&) noexcept;
    World& operator=(World&&) noexcept;
    ~World();
};

} // namespace kanimo
