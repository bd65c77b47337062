#include "creature/creature.h"

#include "creature/body.h"

namespace kanimo {

Segment::Segment(const Creature& owner, double limbSizeFactor, int angle_, int kind_)
    : pos(owner.pos), prevPos(owner.pos), size(owner.size * limbSizeFactor),
      reach(owner.size * 0.45), kind(static_cast<SegmentKind>(kind_)), angle(angle_) {}

Segment::Segment(const Segment& parent_, int angle_, int kind_)
    : pos(parent_.pos), prevPos(parent_.pos), size(parent_.size * 0.9), reach(parent_.reach),
      kind(static_cast<SegmentKind>(kind_)), angle(angle_) {}

// Starting values shared by both constructors, in the order the generator is drawn from:
// `phaseSeed` takes its rand() after any heading draw.
void Creature::initCommon(const CreatureRules& rules, Random& rng) {
    turnRate = rules.initialTurn;
    turnDrive = turnRate;
    next = nullptr;
    partner = nullptr;
    firstLimb = nullptr;
    size = 5.0;
    maxSize = rules.maxCreatureSize;
    maxEnergy = 100.0;
    energy = maxEnergy;
    maxGrowth = 100.0;
    growth = 0.0;
    growthRatio = 0.0;
    phaseSeed = rng.rand();
    baseSpeed = rules.baseSpeed;
    speed = baseSpeed;
    phase = 0.0;
}

Creature::Creature(const CreatureRules& rules, Random& rng, Vec2 pos_, double heading_,
                   bool marked_) {
    randomGenome(rng, genome);
    pos = pos_;
    heading = heading_;
    swing = heading;
    initCommon(rules, rng);
    marked = marked_;
    turnSign = 1;
    lifeLeft = rules.lifespan;
    hasReproduced = false;
    doomed = false;
}

Creature::Creature(const CreatureRules& rules, Random& rng, Vec2 pos_, const Genome& inherited) {
    // The random genome is drawn only to keep the generator's sequence; the inherited one
    // replaces it.
    randomGenome(rng, genome);
    pos = pos_;
    heading = rng.random(360);
    swing = heading;
    initCommon(rules, rng);
    turnSign = 1;
    lifeLeft = rules.lifespan;
    marked = false;
    genome = inherited;
    growBody(rules, *this, genome);
    hasReproduced = false;
    doomed = false;
}

} // namespace kanimo
