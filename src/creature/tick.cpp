#include "creature/tick.h"

#include "creature/creature.h"
#include "creature/limbs.h"
#include "creature/locomotion.h"
#include "creature/reproduction.h"
#include "world/world.h"

namespace kanimo {

// The comparisons below are written as "not at least" / "not greater than" on purpose:
// a value that fails the comparison, NaN included, takes the branch.
void creatureTick(World& world, Creature& c) {
    c.energy = c.energy - 0.01;
    if (c.energy > c.maxEnergy) c.energy = c.maxEnergy;
    if (!(c.energy >= 0)) c.energy = 0;
    if (c.growth > c.maxGrowth) c.growth = c.maxGrowth;
    c.growthRatio = c.growth / c.maxGrowth;
    if (!isDead(c)) c.size = c.growthRatio * c.maxSize + 12.0;
    if (!(c.size > 0)) c.size = 0;
    if (c.size > c.maxSize) c.size = c.maxSize;

    double ratio = c.energy / c.maxEnergy;
    if (!(ratio > 0)) ratio = 0.0001;
    c.speed = c.baseSpeed - (0.2 * c.baseSpeed) / ratio;

    updateLimbs(world, c);

    if (!(c.speed >= 0)) {
        c.speed = 0;
        c.energy = c.energy - 10;
    }
    if (c.speed > world.maxSpeed) c.speed = world.maxSpeed;
    if (!(c.turnDrive >= 0)) c.turnDrive = 0;
    c.turnRate = c.turnDrive;

    if (isDead(c)) return;

    moveCreature(world, c);
    steerCreature(world, c);
    c.lifeLeft = c.lifeLeft - 1;

    const int r = world.rng.random(400);
    if (-r >= c.lifeLeft) c.energy = 0;

    const int a = world.rng.random(100) + 700;
    if (a >= c.lifeLeft && !isDead(c) && !c.hasReproduced && c.growthRatio > 0.15) {
        reproduce(world, c);
        c.hasReproduced = true;
        c.energy = 0;
    }
}

} // namespace kanimo
