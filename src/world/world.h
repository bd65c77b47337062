#pragma once

#include <cstdint>

#include "genetics/random.h"
#include "world/contact_scan.h"

namespace kanimo {

struct Creature;

// The whole state of one simulated world: its tuning constants, its creature list, its
// counters and its random generator. Nothing of a world lives anywhere else, so several
// worlds can run side by side. The list runs from `listHead` through `Creature::next` and
// owns every creature in it.
struct World {
    std::int32_t maxCreatureSize = 25;
    double baseSpeed = 6.0;
    double maxSpeed = 7.0;
    std::int32_t contactRange = 200;
    std::int32_t initialPopulation = 55;
    std::int32_t lifespan = 3000;
    double limbSizeFactor = 0.8;
    double bounceStep = 1.0;
    std::int32_t maxTurn = 4;
    std::int32_t initialTurn = 2;
    std::int32_t worldSize = 600;
    std::int32_t boostBudget = 1000;

    Creature* listHead = nullptr;
    // Last creature as of the last append; removal leaves it stale, so appenders walk
    // from `listHead` to find the true end before trusting it.
    Creature* listTail = nullptr;
    std::int32_t population = 0;

    Random rng;

    ContactScan contactScan;

    World() = default;
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    ~World();
};

// Destroys every creature of the list, iteratively, and leaves it empty.
void destroyAllCreatures(World& world);

// Walks from `listHead` to the true last creature and makes it `listTail` (null for an
// empty list).
void findListTail(World& world);

// Links a creature after `listTail` and makes it the new tail; into an empty list it
// becomes the head too. `listTail` must be current.
void linkAtTail(World& world, Creature* creature);

int listLength(const World& world);

} // namespace kanimo
