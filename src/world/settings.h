#pragma once

#include <cstdint>

#include "creature/rules.h"

namespace kanimo {

// Every tuning constant of a world: the creatures' own rules, and those of the world that
// holds them. Fixed for the life of a world.
struct WorldSettings : CreatureRules {
    std::int32_t contactRange = 200;     // a partner farther away than this is let go
    std::int32_t initialPopulation = 55; // creatures of a fresh seeding
    std::int32_t boostBudget = 1000;     // the level the contact pass refills the budget to
    std::int32_t refillThreshold = 15;   // a cull that keeps this many or fewer ...
    std::int32_t refillCount = 10;       // ... is followed by this many new creatures
};

// The default world made `k` times wider at the same density: K squared times the
// creatures of a seeding and of a refill, and the refill's threshold.
inline WorldSettings scaledSettings(std::int32_t k) {
    WorldSettings s;
    s.worldSize *= k;
    s.initialPopulation *= k * k;
    s.refillThreshold *= k * k;
    s.refillCount *= k * k;
    return s;
}

} // namespace kanimo
