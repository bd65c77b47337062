#pragma once

#include <cstdint>
#include <memory>
#include <vector>

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

    // Every link or unlink counts here, so that the list kept as an array in `order` is known
    // to be current. A big world's creatures are far more than the caches hold, and a walk
    // along `next` waits for each of them in turn; a walk of the array asks ahead instead.
    // Code that links or unlinks by hand must count its edits.
    std::uint64_t listEdits = 0;
    std::vector<Creature*> order;
    std::uint64_t orderEdits = ~std::uint64_t{0}; // the list's edits `order` is current for

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

// The list from head to tail as an array, made by a walk of the list when it is not current.
const std::vector<Creature*>& listInOrder(World& world);

// Hands `from`'s list over to `world`, whose own list must be empty.
void takeList(World& world, World& from);

} // namespace kanimo
