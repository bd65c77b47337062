#include "creature/locomotion.h"

#include <cmath>

#include "creature/creature.h"
#include "world/geometry.h"
#include "world/world.h"

namespace kanimo {

namespace {
constexpr double twoPi = 6.283185307179586;
constexpr double pi = 3.141592653589793;
} // namespace

void moveCreature(const World& world, Creature& c) {
    c.phase = c.phase + 0.05;
    if (c.phase > twoPi) c.phase = -twoPi;

    const double h = c.heading * degreesToRadians;
    c.pos.x = c.pos.x + std::cos(h) * c.speed;
    c.pos.y = c.pos.y - std::sin(h) * c.speed;

    // Only one bounceStep back, however far past the bound: an overshooting creature
    // works its way in over several ticks.
    const double hi = world.worldSize - c.size * 0.5 - 2;
    const double lo = c.size * 0.5 + 2;
    bool bounced = false;
    if (c.pos.x > hi) {
        c.heading = 180 - c.heading;
        c.pos.x = c.pos.x - world.bounceStep;
        bounced = true;
    } else if (c.pos.x < lo) {
        c.heading = 180 - c.heading;
        c.pos.x = c.pos.x + world.bounceStep;
        bounced = true;
    }
    if (c.pos.y > hi) {
        c.heading = 360 - c.heading;
        c.pos.y = c.pos.y - world.bounceStep;
        bounced = true;
    } else if (c.pos.y < lo) {
        c.heading = 360 - c.heading;
        c.pos.y = c.pos.y + world.bounceStep;
        bounced = true;
    }
    c.heading = wrapAngle(c.heading);

    if (c.partner != nullptr &&
        distance(c.pos.x, c.pos.y, c.partner->pos.x, c.partner->pos.y) > 10 && bounced) {
        c.partner = nullptr;
    }
}

void steerCreature(const World& world, Creature& c) {
    if (!(c.turnRate <= world.maxTurn)) {
        c.turnRate = world.maxTurn;
    } else if (c.turnRate < -world.maxTurn) {
        c.turnRate = -world.maxTurn;
    }

    const double w = std::sin(0.001 * c.phase + c.phaseSeed * pi);
    c.swing = c.swing + w * (200 * c.turnRate);
    c.heading = c.heading + w * (200 * c.turnRate);
    if (std::sin(c.phaseSeed * pi + c.phase) < 0.5 &&
        std::sin(0.0005 * c.phaseSeed * pi + c.phase) > -0.5) {
        c.swing = c.swing + c.turnSign * c.turnRate;
    }
    c.heading = c.heading + c.turnSign * c.turnRate;
    c.swing = wrapAngle(c.swing);
    c.heading = wrapAngle(c.heading);
}

} // namespace kanimo
