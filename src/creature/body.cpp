#include "creature/body.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <memory>
#include <type_traits>

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

// The body's storage: the segments, then room for the limb pass's tables. The tables of a
// body of n segments never need more than 9 n doubles: 3 per distinct angle, at most 2
// speed and 2 drive terms per chain segment, and at most 1 boost of each kind.
constexpr std::size_t tableDoublesPerSegment = 9;
static_assert(sizeof(Segment) % alignof(double) == 0 && alignof(Segment) == alignof(double));
static_assert(std::is_trivially_destructible_v<Segment>, "segments are never destroyed");

double* tablesOf(Creature& creature) {
    return reinterpret_cast<double*>(creature.bodyStorage.get() +
                                     sizeof(Segment) * static_cast<std::size_t>(creature.segmentCount));
}

// Gives every segment a slot in the body's table of distinct angles, and writes the table
// at `at`. Returns the doubles it takes.
std::size_t indexLimbAngles(Creature& creature, double* at) {
    int count = 0;
    for (int i = 0; i < creature.segmentCount; ++i) {
        Segment& s = creature.segments[i];
        int slot = 0;
        while (slot < count && at[slot] != s.angle) ++slot;
        if (slot == count) at[count++] = s.angle;
        s.angleSlot = slot;
    }
    creature.limbAngles = at;
    creature.limbAngleCount = count;
    creature.limbTrigSwing = std::numeric_limits<double>::quiet_NaN();
    creature.limbRest = LimbRest{};
    return 3 * static_cast<std::size_t>(count);
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

// Writes the effect lists at `at`: speed terms, drive terms, boost energy, boost growth.
LimbEffects effectsOf(const Creature& creature, double* at) {
    int terms = 0;
    int boosts = 0;
    for (const Segment* head = creature.firstLimb; head != nullptr; head = head->nextLimb()) {
        for (const Segment* s = head->next(); s != nullptr; s = s->next()) {
            terms += (s->kind == SegmentKind::feed || s->kind == SegmentKind::propel) ? 2 : 1;
            if (s->kind == SegmentKind::feed) ++boosts;
        }
    }
    double* speed = at;
    double* drive = speed + terms;
    double* energy = drive + terms;
    double* growth = energy + boosts;
    const LimbEffects e{speed, drive, terms, energy, growth, boosts};
    for (const Segment* head = creature.firstLimb; head != nullptr; head = head->nextLimb()) {
        for (const Segment* s = head->next(); s != nullptr; s = s->next()) {
            const int f = strengthDepth - s->depth;
            if (s->kind == SegmentKind::feed) {
                *energy++ = f * feedEnergyRate * effectScale;
                *growth++ = f * feedGrowthRate * effectScale;
                *speed++ = -(f * dragRate * effectScale);
                *drive++ = -(f * wiggleRate * effectScale);
            } else if (s->kind == SegmentKind::propel) {
                *speed++ = f * effectScale;
                *drive++ = f * propelRate * effectScale;
            }
            *speed++ = -(f * dragRate * effectScale);
            *drive++ = f * wiggleRate * effectScale;
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
    const std::size_t count = bodySegmentCount(genome);
    creature.bodyStorage = std::make_unique_for_overwrite<std::byte[]>(
        count * (sizeof(Segment) + tableDoublesPerSegment * sizeof(double)));
    Segment* segments = reinterpret_cast<Segment*>(creature.bodyStorage.get());
    std::uninitialized_default_construct_n(segments, count);
    creature.segments = segments;
    creature.segmentCount = 0;

    Segment* root = addSegment(
        creature, Segment(creature, rules.limbSizeFactor, genome.angles[0][0], genome.kinds[0][0]));
    creature.firstLimb = root;
    growChain(creature, root, genome, 0);
    if (genome.angles[0][0] != emptyCell) {
        Segment* head = root;
        for (int r = 1; r < genomeRows && genome.angles[r][0] != emptyCell; ++r) {
            Segment* limb =
                addSegment(creature, Segment(*head, genome.angles[r][0], genome.kinds[r][0]));
            limb->linkParent(head);
            head->linkNextLimb(limb);
            growChain(creature, limb, genome, r);
            head = limb;
        }
    }
    prepareBody(creature);
}

void prepareBody(Creature& creature) {
    double* tables = tablesOf(creature);
    tables += indexLimbAngles(creature, tables);
    creature.limbEffects = effectsOf(creature, tables);
}

void growChain(Creature& creature, Segment* from, const Genome& genome, int row) {
    Segment* tail = from;
    for (int k = 0; k < genomeColumns && genome.angles[row][k] != emptyCell; ++k) {
        Segment* segment =
            addSegment(creature, Segment(*tail, genome.angles[row][k], genome.kinds[row][k]));
        segment->linkParent(tail);
        tail->linkNext(segment);
        segment->depth = static_cast<std::int8_t>(k);
        tail = segment;
        if (static_cast<int>(segment->kind) < 0) creature.doomed = true;
    }
}

} // namespace kanimo
