#pragma once

#include <cstdint>

namespace kanimo {

// The tuning constants a creature's own rules read: how it is made, how fast it may go,
// how it turns and where the walls are. A world hands them down unchanged; nothing in the
// creature layer writes them.
struct CreatureRules {
    std::int32_t maxCreatureSize = 25; // largest body diameter; each creature's maxSize
    double baseSpeed = 6.0;            // speed a creature starts with
    double maxSpeed = 7.0;             // upper clamp of speed after each tick's update
    std::int32_t lifespan = 3000;      // ticks of life a creature starts with
    double limbSizeFactor = 0.8;       // a limb head's size as a fraction of the body's
    double bounceStep = 1.0;           // distance a body is put back from a wall or a touch
    std::int32_t maxTurn = 4;          // bound of turnRate, either way
    std::int32_t initialTurn = 2;      // turnRate and turnDrive a creature starts with
    std::int32_t worldSize = 600;      // side of the square world: 0 .. worldSize on both axes
};

} // namespace kanimo
