#pragma once

#include <cstdint>
#include <string>

#include "base/geometry.h"
#include "creature/lineage.h"
#include "genetics/genome.h"

namespace kanimo {

struct Creature;
struct World;

// What the inspector shows of one creature, read from the world between steps.
struct CreatureCard {
    std::uint64_t id = 0;
    std::uint64_t parentId = 0; // 0: a founder
    std::int32_t generation = 0;
    bool mutated = false;
    std::int64_t birthStep = 0;
    std::int64_t age = 0; // steps since its birth step
    std::int64_t deathStep = -1;
    DeathCause cause = DeathCause::none;
    double energy = 0.0;
    double maxEnergy = 0.0;
    double size = 0.0;
    double maxSize = 0.0;
    double heading = 0.0;
    double speed = 0.0;
    Vec2 pos{0.0, 0.0};
    int segments = 0;
    int segmentsByKind[4] = {0, 0, 0, 0}; // drag, bite, feed, propel; others count in none
    Genome genome{};
    std::string genomeText;
};

CreatureCard readCard(const Creature& creature, const World& world);

} // namespace kanimo
