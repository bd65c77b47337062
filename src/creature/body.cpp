#include "creature/body.h"

#include <algorithm>
#include <limits>

#include "creature/creature.h"

namespace kanimo {

namespace {

int chainLength(const Genome& genome, int row) {
    int n = 0;
    while (n < genomeColumns && genome.angles[row][n] != emptyCell) ++n;
    return n;
}

int bodySegmentCount(const Genome& genome) {
    int count = 1 + chainLength(genome, 0);
    if (genome.angles[0][0] == emptyCell) return count;
    for (int r = 1; r < genomeRows && genome.angles[r][0] != emptyCell; ++r) {
        count += 1 + chainLength(genome, r);
    }
    return count;
}

// Gives every segment a slot in the body's table of distinct angles.
void indexLimbAngles(Creature& creature) {
    double distinct[maxBodySegments];
    int count = 0;
    for (int i = 0; i < creature.segmentCount; ++i) {
        Segment& s = creature.segments[i];
        int slot = 0;
        while (slot < count && distinct[slot] != s.angle) ++slot;
        if (slot == count) distinct[count++] = s.angle;
        s.angleSlot = slot;
    }
    creature.limbAngles = std::make_unique<double[]>(3 * static_cast<std::size_t>(count));
    std::copy(distinct, distinct + count, creature.limbAngles.get());
    creature.limbAngleCount = count;
    creature.limbTrigSwing = std::numeric_limits<double>::quiet_NaN();
    creature.limbRest = LimbRest{};
}

// A segment's strength f = 10 - depth, times a rate, times effectScale. Each product is
// taken left to right as written, never folded into one constant: f * 0.0001 * 0.1 and
// f * 0.00001 differ in the last bit for some f, and the recorded runs depend on that bit.
constexpr int strengthDepth = 10;
constexpr double effectScale = 0.1;
constexpr double dragRate = 0.5;         // speed every chain segment costs
constexpr double wiggleRate = 0.0001;    // turn drive every chain segment adds
constexpr double propelRate = 0.001;     // turn drive a propelling segment adds
constexpr double feedEnergyRate = 0.0001; // energy of a feeding boost
constexpr double feedGrowthRate = 0.002;  // growth of a feeding boost

LimbEffects effectsOf(const Creature& creature) {
    LimbEffects e;
    for (const Segment* head = creature.firstLimb; head != nullptr; head = head->nextLimb) {
        for (const Segment* s = head->next; s != nullptr; s = s->next) {
            const int f = strengthDepth - s->depth;
            if (s->kind == SegmentKind::feed) {
                e.boostEnergy.push_back(f * feedEnergyRate * effectScale);
                e.boostGrowth.push_back(f * feedGrowthRate * effectScale);
                e.speedTerms.push_back(-(f * dragRate * effectScale));
                e.driveTerms.push_back(-(f * wiggleRate * effectScale));
            } else if (s->kind == SegmentKind::propel) {
                e.speedTerms.push_back(f * effectScale);
                e.driveTerms.push_back(f * propelRate * effectScale);
            }
            e.speedTerms.push_back(-(f * dragRate * effectScale));
            e.driveTerms.push_back(f * wiggleRate * effectScale);
        }
    }
    return e;
}

Segment* addSegment(Creature& creature, const Segment& segment) {
    Segment* slot = &creature.segments[creature.segmentCount++];
    *slot = segment;
    return slot;
}

} // namespace

void growBody(const CreatureRules& rules, Creature& creature, const Genome& genome) {
    creature.genome = genome;
    // Sized up front so that the links between segments stay valid.
    creature.segments = std::make_unique<Segment[]>(bodySegmentCount(genome));
    creature.segmentCount = 0;

    Segment* root = addSegment(
        creature, Segment(creature, rules.limbSizeFactor, genome.angles[0][0], genome.kinds[0][0]));
    creature.firstLimb = root;
    growChain(creature, root, genome, 0);
    if (genome.angles[0][0] != emptyCell) {
        Segment* head = root;
        for (int r = 1; r < genomeRows && genome.angles[r][0] != emptyCell; ++r) {
            Segment* limb =
                addSegment(creature, Segment(head, genome.angles[r][0], genome.kinds[r][0]));
            head->nextLimb = limb;
            growChain(creature, limb, genome, r);
            head = limb;
        }
    }
    prepareBody(creature);
}

void prepareBody(Creature& creature) {
    indexLimbAngles(creature);
    creature.limbEffects = effectsOf(creature);
}

void growChain(Creature& creature, Segment* from, const Genome& genome, int row) {
    Segment* tail = from;
    for (int k = 0; k < genomeColumns && genome.angles[row][k] != emptyCell; ++k) {
        Segment* segment =
            addSegment(creature, Segment(tail, genome.angles[row][k], genome.kinds[row][k]));
        tail->next = segment;
        segment->depth = k;
        tail = segment;
        if (static_cast<int>(segment->kind) < 0) creature.doomed = true;
    }
}

} // namespace kanimo
