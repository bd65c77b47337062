#pragma once

#include <cstdint>
#include <memory>

#include "base/random.h"
#include "world/settings.h"

namespace kanimo {

struct Creature;
struct ContactScan;

// The whole state of one simulated world: its tuning constants, its creature list, its
// counters and its random generator. Nothing of a world lives anywhere else, so several
// worlds can run side by side. The list runs from `listHead` through `Creature::next` and
// owns every creature in it.
struct World {
    WorldSettings settings;
    std::int32_t boostBudget = 1000; // feeding boosts the creatures may still be granted

    Creature* listHead = nullptr;
    Creature* listTail = nullptr; // kept right by every append and removal
    std::int32_t population = 0;  // creatures the last cull kept

    // Counters of the record kept beside the rules (see Lineage); they never change a result.
    std::int64_t stepCount = 0;        // world and fast steps taken since the first seeding
    std::uint64_t nextCreatureId = 1;  // the id the next creature made will get

    Random rng;

    // The contact pass's scratch space, kept between passes so that it is reused.
    std::unique_ptr<ContactScan> contactScan;

    World();
    explicit World(const WorldSettings& settings);
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    ~World();
};

// Destroys every creature of the list, iteratively, and leaves it empty.
void destroyAllCreatures(World& world);

// Links a creature after `listTail` and makes it the new tail; into an empty list it
// becomes the head too.
void linkAtTail(World& world, Creature* creature);

int listLength(const World& world);

} // namespace kanimo
