#include "creature/tick.h"

#include "creature/limbs.h"
#include "creature/locomotion.h"

namespace kanimo {

namespace {

constexpr double metabolism = 0.01;       // energy a tick costs
constexpr double smallestSize = 12.0;     // size of a living creature with no growth
constexpr double stallShare = 0.2;        // of baseSpeed, lost at full energy (over ratio)
constexpr double emptyRatio = 0.0001;     // energy ratio taken for an empty creature
constexpr double stallCost = 10;          // energy lost when speed falls below 0
constexpr int ageDraw = 400;              // old age may strike this many ticks early
constexpr int splitDraw = 100;            // the split comes within this many ticks ...
constexpr int splitWindow = 700;          // ... of this much life left
constexpr double splitGrowthRatio = 0.15; // a creature must have grown past this to split

} // namespace

// The comparisons below are written as "not at least" / "not greater than" on purpose:
// a value that fails the comparison, NaN included, takes the branch.
TickEnd creatureTick(const CreatureRules& rules, Random& rng, int& boostBudget, Creature& c) {
    const bool wasAlive = c.energy > 0;
    c.energy = c.energy - metabolism;
    if (c.energy > c.maxEnergy) c.energy = c.maxEnergy;
    if (!(c.energy >= 0)) c.energy = 0;
    if (c.growth > c.maxGrowth) c.growth = c.maxGrowth;
    c.growthRatio = c.growth / c.maxGrowth;
    if (!isDead(c)) c.size = c.growthRatio * c.maxSize + smallestSize; // shrinks the dead
    if (!(c.size > 0)) c.size = 0;
    if (c.size > c.maxSize) c.size = c.maxSize;

    double ratio = c.energy / c.maxEnergy;
    if (!(ratio > 0)) ratio = emptyRatio;
    c.speed = c.baseSpeed - (stallShare * c.baseSpeed) / ratio;

    updateLimbs(rules, boostBudget, c);

    if (!(c.speed >= 0)) {
        c.speed = 0;
        c.energy = c.energy - stallCost;
    }
    if (c.speed > rules.maxSpeed) c.speed = rules.maxSpeed;
    if (!(c.turnDrive >= 0)) c.turnDrive = 0;
    c.turnRate = c.turnDrive;

    if (isDead(c)) return wasAlive ? TickEnd::starved : TickEnd::dead; // shrinks the dead

    moveCreature(rules, c);
    steerCreature(rules, c);
    c.lifeLeft = c.lifeLeft - 1;

    const int r = rng.random(ageDraw);
    if (-r >= c.lifeLeft) c.energy = 0;

    const int a = rng.random(splitDraw) + splitWindow;
    // Past the first test, isDead shrinks a creature the age draw has just killed.
    if (a >= c.lifeLeft && !isDead(c) && !c.hasReproduced && c.growthRatio > splitGrowthRatio) {
        c.hasReproduced = true;
        c.energy = 0;
        return TickEnd::split;
    }
    return c.energy > 0 ? TickEnd::living : TickEnd::oldAge;
}

} // namespace kanimo
