#include "creature/creature.h"

#include <cstddef>

namespace kanimo {

// The asking ahead (prefetch.h) counts on this layout: every walk of the list finds
// what it reads in the record's first line, and a tick what it reads of the record, up to
// the steering memo, in the first four. The record is never used as standard layout, but
// the compiler lays it out as declared, which is what offsetof measures here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(Creature, marked) < 64, "what the walks read is the record's first line");
static_assert(offsetof(Creature, steeringMemo) + sizeof(Creature::steeringMemo) <= 4 * 64,
              "what a tick reads of the record is its first four lines");
#pragma GCC diagnostic pop

Segment::Segment(Vec2 centre, double bodySize, double limbSizeFactor, int angle_, int kind_)
    : pos(centre), prevPos(centre), size(bodySize * limbSizeFactor), reach(bodySize * 0.45),
      kind(static_cast<SegmentKind>(kind_)), angle(angle_) {}

Segment::Segment(const Segment& parent_, int angle_, int kind_)
    : pos(parent_.pos), prevPos(parent_.pos), size(parent_.size * 0.9), reach(parent_.reach),
      kind(static_cast<SegmentKind>(kind_)), angle(angle_) {}

void growBody(const CreatureRules& rules, Creature& creature, const Genome& genome) {
    creature.genome = genome;
    creature.body = Body(genome, creature.pos, creature.size, rules.limbSizeFactor);
    if (creature.body.dooms()) creature.doomed = true;
}

// Starting values shared by both constructors, in the order the generator is drawn from:
// `phaseSeed` takes its rand() after any heading draw.
void Creature::initCommon(const CreatureRules& rules, Random& rng) {
    turnRate = rules.initialTurn;
    turnDrive = turnRate;
    next = nullptr;
    partner = nullptr;
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
