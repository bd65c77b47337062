#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

#include "base/geometry.h"
#include "base/random.h"
#include "creature/body.h"
#include "creature/lineage.h"
#include "creature/phase_cycle.h"
#include "creature/rules.h"
#include "genetics/genome.h"

namespace kanimo {

// The fields are laid out by use. A big world's creatures are far more than the caches
// hold, and every walk of the list (the scan, the turns, the cull) reads the first line of
// each creature; the tick reads the next few, then its body; the genome, read at a split
// only, comes last. The record starts on a line, so that the lines are the ones meant.
struct alignas(64) Creature {
    Creature* next = nullptr;    // the world's list links it; see CreatureList
    Creature* partner = nullptr; // refers, never owns
    Vec2 pos{0.0, 0.0};
    double size = 0.0;
    double energy = 0.0;
    Body body; // its segments and the limb pass's tables, in one allocation
    bool doomed = false;
    bool hasReproduced = false;
    bool marked = false;

    double heading = 0.0;
    double swing = 0.0;
    double turnRate = 0.0;
    double turnDrive = 0.0;
    double maxSize = 0.0;
    double maxEnergy = 0.0;
    double growth = 0.0;
    double maxGrowth = 0.0;
    double growthRatio = 0.0;
    double phaseSeed = 0.0;
    double phase = 0.0;
    double speed = 0.0;
    double baseSpeed = 0.0;
    double lifeLeft = 0.0;
    int turnSign = 1;

    // Steering's sines for the repeating part of the phase cycle, made once the creature
    // gets there.
    std::unique_ptr<SteeringMemo> steeringMemo;

    Lineage lineage; // set by the creature's world
    Genome genome{};

    // Seeded creature: bodiless, with a random genome its maker replaces when it grows
    // the body.
    Creature(const CreatureRules& rules, Random& rng, Vec2 pos, double heading, bool marked);
    // Offspring: random heading, body grown from the given genome.
    Creature(const CreatureRules& rules, Random& rng, Vec2 pos, const Genome& genome);

    Creature(const Creature&) = delete;
    Creature& operator=(const Creature&) = delete;

  private:
    void initCommon(const CreatureRules& rules, Random& rng);
};

// Builds the body of a bodiless creature from `genome`, which it also stores in the
// creature; a chain segment with a negative kind dooms the creature.
void growBody(const CreatureRules& rules, Creature& creature, const Genome& genome);

} // namespace kanimo
